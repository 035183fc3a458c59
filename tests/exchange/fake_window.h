// The window as a poll sees it: texts, the reply time-out timer, its error boxes and the
// release of a port that failed.
#pragma once

#include <string>
#include <vector>

#include "exchange/poll.h"
#include "exchange/reply_timeout.h"

namespace exchange_test {

class FakeWindow : public exchange::PollView, public exchange::ReplyTimeoutView {
 public:
  std::vector<std::string> events;  // what the poll did, in order
  std::vector<std::string> boxes;
  std::string static_text;
  std::string panel1 = "old";
  bool timeout_enabled = false;
  std::int32_t tag = 0;

  void ClearPollTexts() override {
    events.push_back("clear");
    static_text.clear();
    panel1.clear();
  }
  void ProcessMessages() override { events.push_back("pump"); }
  void ShowSentFrame(const std::string& text) override {
    events.push_back("sent");
    static_text = text;
  }
  void ArmReplyTimeout() override {
    events.push_back("arm");
    timeout_enabled = true;
  }
  void ShowErrorBox(const std::string& text) override {
    events.push_back("box");
    boxes.push_back(text);
  }
  void ReleaseFailedPort() override { events.push_back("release"); }

  void DisableReplyTimeout() override { timeout_enabled = false; }
  std::int32_t ReplyTimeoutTag() const override { return tag; }
  void SetReplyTimeoutTag(std::int32_t value) override { tag = value; }
  void SetStatusPanel1(const std::string& text) override { panel1 = text; }
};

}  // namespace exchange_test
