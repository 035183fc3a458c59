// A line that several instruments share, as the reader's polling, its scan and the window's
// search read it: Modbus RTU's line rules in front of a port, under the exchange unchanged.
//
// - Frames apart: a request goes out only once the line has been quiet for 3.5 characters
//   since the last byte received or sent. What comes meanwhile is taken off the line before the
//   request, not read as its reply.
// - A reply belongs to the poll it answers: a valid reply of an earlier poll that went without
//   one (it came after that poll's wait, whole or in pieces) is set aside as that poll's late
//   reply, never taken for the poll in progress or another instrument's. Only the bytes that
//   came after the request can be the reply of the poll in progress. A reply already answered
//   (repeated), bytes too many and noise are dropped.
// - A wait that fits each instrument (ReplyWaits): learnt from what its replies needed.
// - A line that does not go quiet within the longest frame's time is jammed: nothing is sent.
//
// The exchange purges after its reply; here that is left to the next request's wait for a quiet
// line, which accounts for what is still coming. Thread rule: the port operations on the
// exchange worker; the rest on the window thread between polls (WaitForExchange orders the two).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "exchange/exchange_port.h"
#include "exchange/exchange_timing.h"
#include "polling/reply_hunt.h"
#include "polling/reply_waits.h"

namespace polling {

class SharedLine : public exchange::ExchangePort {
 public:
  using Clock = std::chrono::steady_clock;

  // What an instrument's wait covers, from the end of its request.
  enum class Wait {
    kWholeReply,  // its whole reply; one that has begun by then is read to its end
    kFirstByte,   // the first byte of its reply; the rest has its own line time
  };

  struct Rules {
    // The window's read time-out of a 31-byte reply.
    std::chrono::milliseconds reply_wait{31 * exchange::READ_TIMEOUT_MS_PER_BYTE};
    Wait covers = Wait::kWholeReply;
    // Each instrument's wait learnt from its replies (ReplyWaits), up to `longest_wait`; else
    // `reply_wait` for all.
    bool learn = true;
    // Also how long an unanswered poll may still get its reply.
    std::chrono::milliseconds longest_wait{1000};
  };

  // What the line saw of the last poll.
  struct PollNotes {
    std::chrono::system_clock::time_point requested;  // when it began to send, as LateReply's
    Clock::duration waited{};  // for the quiet line, before the request could go
    bool jammed = false;       // the line never went quiet: the request was not sent
    std::int32_t bytes = 0;    // bytes after the request that were no earlier poll's reply
    std::optional<Clock::duration> turnaround;  // from the request's end to the first of them
    bool line_errors = false;                   // parity, framing or overrun errors came with them
  };

  // A valid reply of an earlier poll that came after that poll's wait.
  struct LateReply {
    std::uint8_t address = 0;
    std::vector<std::uint8_t> frame;                  // a normal or an exception reply
    std::chrono::system_clock::time_point requested;  // when its poll began to send
    Clock::duration turnaround{};  // from its request's end to its first byte, as seen here
  };

  explicit SharedLine(const Rules& rules);

  // The port below from now on; null: none (the line is not open). Between polls. What was
  // under way on the earlier port is forgotten; the learnt waits are kept.
  void Attach(exchange::ExchangePort* line);

  bool Connected() const override;
  void SetParityEven() override;
  // Waits for a quiet line, then sends; sends nothing (returns 0) on a jammed line.
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override;
  // Gives the request's own reply, found wherever it starts (`count` is its normal length),
  // or nothing.
  std::int32_t ReceiveBytes(std::uint8_t* buffer, std::int32_t count) override;
  void PurgeBuffers(bool input, bool output) override;

  const PollNotes& LastPoll() const { return notes_; }
  // The late replies found since the last call, in the order they came.
  std::vector<LateReply> TakeLateReplies();
  // The learnt waits' changes since the last call.
  std::vector<WaitChange> TakeWaitChanges();
  // Whether the line was jammed when it was last waited for.
  bool Jammed() const { return jammed_; }
  std::chrono::milliseconds WaitOf(std::uint8_t address) const;

 private:
  // A request sent, from then until its reply or until it is no longer owed one.
  struct Poll {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    std::size_t length = 0;  // of a normal reply
    Clock::time_point request_end;
    std::chrono::system_clock::time_point requested;
    std::chrono::milliseconds wait{0};
  };
  // Bytes that one read brought, ending at `end` in `pending_`.
  struct Chunk {
    std::size_t end = 0;
    Clock::time_point at;     // when the read returned
    Clock::time_point since;  // the line was last seen with nothing more before it
    bool watched = true;      // false: the read began long after that, so they may be old
  };
  struct Arrival {
    Clock::time_point at;
    bool known = true;  // false: it came some time before `at`, when nobody looked
  };

  bool TakeOffLine();
  void ReadInto(std::int32_t count, const exchange::ReadLimits& limits);
  std::optional<FoundReply> Explain();
  void TakeLate(std::size_t owed_index, const FoundReply& found);
  // Keeps `poll` among the answered, whose reply coming again is dropped.
  void Answered(const Poll& poll);
  void DropExpired(Clock::time_point now);
  void Learn(const Poll& poll, const FoundReply& found, bool late);
  Arrival ArrivalOf(std::size_t index) const;
  void Erase(std::size_t count);
  ExpectedReply Expected(const Poll& poll, std::size_t from) const;

  Rules rules_;
  ReplyWaits waits_;
  exchange::ExchangePort* line_ = nullptr;

  std::vector<std::uint8_t> pending_;  // bytes not yet explained, in the order they came
  std::vector<Chunk> chunks_;          // where each read's bytes lie in `pending_`
  std::size_t mark_ = 0;               // where the bytes after the current request begin
  std::optional<Poll> current_;
  std::vector<Poll> owed_;             // unanswered polls that may still get a reply, oldest first
  std::vector<Poll> answered_;         // answered polls whose reply may come again, oldest first
  Clock::time_point last_activity_{};  // the last byte received or sent
  Clock::time_point last_look_{};      // when the line was last seen with nothing more
  bool jammed_ = false;

  PollNotes notes_;
  std::vector<LateReply> late_;
  std::vector<WaitChange> wait_changes_;
  std::vector<ExpectedReply> expected_;  // scratch of Explain
  std::array<std::uint8_t, 256> chunk_{};
};

}  // namespace polling
