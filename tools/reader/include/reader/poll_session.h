#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "exchange/UART_THREAT.h"
#include "instrument/readings.h"
#include "polling/shared_line.h"
#include "reader/poll_record.h"

namespace reader {

class ConsolePollView;

// One poll after another, as the window's read button runs them: the window's
// poll routine through a console view, then an accepted reply's texts as
// ANALIZATOR shows them, or an unanswered poll counted as the window's reply
// time-out would when it fires. Keeps the decoded fields and the time-out count across
// polls. The port is the one set on the worker; a port that failed is released
// by the caller, between polls. Thread rule: one thread (the reader's "window
// thread") calls Poll and PortUnavailable.
class PollSession {
 public:
  PollSession(exchange::UART_THREAT& worker, std::string separator);
  ~PollSession();
  PollSession(const PollSession&) = delete;
  PollSession& operator=(const PollSession&) = delete;

  // `address` is 1..247.
  PollRecord Poll(std::uint8_t address);
  // A poll that finds no port: the one released after a failure still cannot be opened
  // (`error` says why). Nothing is sent; the texts are the window's at such a poll.
  PollRecord PortUnavailable(std::uint8_t address, std::string error);
  // The record of a reply of this instrument that came after its poll's wait: the readings of
  // that poll, marked late. The time-out count stays as that poll left it; the values kept
  // between replies take its values only when no later poll's reply has set them.
  PollRecord Late(const polling::SharedLine::LateReply& reply);

 private:
  exchange::UART_THREAT& worker_;
  std::string separator_;
  std::unique_ptr<ConsolePollView> view_;
  instrument::DecodedFields fields_;
  // When the poll began whose reply last set `fields_`: a late reply of an earlier poll leaves
  // them alone.
  std::chrono::system_clock::time_point fields_from_{};
};

}  // namespace reader
