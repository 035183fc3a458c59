// A poll's view with nothing to show, for polls whose caller reads their outcome itself (the
// scan, benchmarks, tests): the box it would show is kept as text. Window thread only.
#pragma once

#include <string>

#include "exchange/poll.h"

namespace exchange {

class QuietView : public PollView {
 public:
  void ClearPollTexts() override {}
  void ProcessMessages() override {}
  void ShowSentFrame(const std::string&) override {}
  void ArmReplyTimeout() override {}
  void ShowErrorBox(const std::string& text) override { error = text; }

  std::string error;  // the last box's text
};

}  // namespace exchange
