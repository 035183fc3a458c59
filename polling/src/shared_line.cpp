#include "polling/shared_line.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace polling {
namespace {

using Clock = SharedLine::Clock;
using std::chrono::milliseconds;

constexpr Clock::duration kCharacter =
    std::chrono::duration_cast<Clock::duration>(exchange::CHARACTER_TIME);

// How long `count` characters take on the line.
constexpr Clock::duration Characters(std::size_t count) {
  return kCharacter * static_cast<Clock::rep>(count);
}

constexpr Clock::duration kFrameGap =
    std::chrono::duration_cast<Clock::duration>(exchange::FRAME_GAP);

// The longest frame Modbus RTU allows.
constexpr std::size_t kLongestFrame = 256;

// A line that brings bytes for longer than the longest frame without a frame's gap carries
// no frames: it is jammed.
constexpr Clock::duration kJamAfter = Characters(kLongestFrame) + kFrameGap;

// What a USB adapter may hold received bytes back (16 ms), with the system's own delays: a
// reply that has begun gets this beyond its line time, and a read ends this long after the
// last byte when no next one comes.
constexpr milliseconds kHeldBack{20};

// A look at the line this soon after the one before tells when the bytes it finds came; after
// a longer pause they may have waited since long before.
constexpr Clock::duration kSureWithin = milliseconds(40);

// Bytes kept unexplained at most: a jammed line must not fill memory.
constexpr std::size_t kPendingLimit = 4 * kLongestFrame;

// Unanswered polls kept at most (a scan owes one for each silent address of the last second),
// and answered ones whose reply may come again.
constexpr std::size_t kOwedLimit = 256;
constexpr std::size_t kAnsweredLimit = 16;

// A read's time-out in whole milliseconds, rounded up so that it never ends early.
milliseconds CeilMilliseconds(Clock::duration duration) {
  return std::max(milliseconds(1), std::chrono::ceil<milliseconds>(duration));
}

}  // namespace

SharedLine::SharedLine(const Rules& rules)
    : rules_(rules), waits_(rules.reply_wait, rules.longest_wait) {}

void SharedLine::Attach(exchange::ExchangePort* line) {
  line_ = line;
  pending_.clear();
  chunks_.clear();
  mark_ = 0;
  current_.reset();
  owed_.clear();
  answered_.clear();
  jammed_ = false;
}

bool SharedLine::Connected() const { return line_ != nullptr && line_->Connected(); }

void SharedLine::SetParityEven() { line_->SetParityEven(); }

std::int32_t SharedLine::SendBytes(const std::uint8_t* buffer, std::int32_t count) {
  notes_ = {};
  current_.reset();
  if (count < 2) return 0;
  const auto requested = std::chrono::system_clock::now();
  notes_.requested = requested;
  const Clock::time_point wait_start = Clock::now();
  DropExpired(wait_start);
  const bool quiet = TakeOffLine();
  notes_.waited = Clock::now() - wait_start;
  if (!quiet) {
    notes_.jammed = true;
    return 0;
  }
  // The line is quiet: what is left is noise, or the start of an earlier poll's reply that an
  // adapter has not handed over whole yet; no frame is longer.
  if (pending_.size() > kLongestFrame) Erase(pending_.size() - kLongestFrame);
  mark_ = pending_.size();

  const Clock::time_point start = Clock::now();
  const std::int32_t sent = line_->SendBytes(buffer, count);
  // A line that takes the bytes before they are on the wire returns early; the request ends
  // when its last bit has gone.
  const Clock::time_point request_end =
      std::max(Clock::now(), start + Characters(static_cast<std::size_t>(count)));
  last_activity_ = request_end;
  current_ = Poll{buffer[0], buffer[1], 0, request_end, requested, waits_.Of(buffer[0])};
  return sent;
}

// Until the line has been quiet for a frame's gap, takes off what comes, explaining it as
// owed replies where it can. False when it does not go quiet.
bool SharedLine::TakeOffLine() {
  const Clock::time_point start = Clock::now();
  bool took = false;
  bool quiet = false;
  for (;;) {
    const Clock::time_point quiet_at = last_activity_ + kFrameGap;
    if (Clock::now() < quiet_at) std::this_thread::sleep_until(quiet_at);
    const std::int32_t waiting = line_->BytesWaiting();
    if (waiting <= 0) {
      last_look_ = Clock::now();
      quiet = true;
      break;
    }
    took = true;
    // Queued bytes come at once.
    ReadInto(std::min(waiting, static_cast<std::int32_t>(chunk_.size())),
             {.total = milliseconds(1)});
    Explain();
    if (Clock::now() - start > kJamAfter) break;
  }
  // Errors that came with bytes taken off are not the next reply's.
  if (took) line_->TakeLineErrors();
  jammed_ = !quiet;
  return quiet;
}

void SharedLine::ReadInto(std::int32_t count, const exchange::ReadLimits& limits) {
  const Clock::time_point started = Clock::now();
  const std::int32_t got = line_->ReceiveBytesWithin(chunk_.data(), count, limits);
  const Clock::time_point now = Clock::now();
  if (got > 0) {
    pending_.insert(pending_.end(), chunk_.begin(), chunk_.begin() + got);
    chunks_.push_back({pending_.size(), now, last_look_, started - last_look_ <= kSureWithin});
    last_activity_ = now;
    if (pending_.size() > kPendingLimit) Erase(pending_.size() - kPendingLimit);
  }
  last_look_ = now;
}

std::int32_t SharedLine::ReceiveBytes(std::uint8_t* buffer, std::int32_t count) {
  if (!current_) return 0;
  Poll& poll = *current_;
  poll.length = static_cast<std::size_t>(std::clamp<std::int32_t>(count, 2, kLongestFrame));
  const Clock::time_point wait_end = poll.request_end + poll.wait;
  std::optional<FoundReply> found;
  while (!found) {
    // Bytes after the request that no earlier poll's reply explained.
    const std::optional<Clock::time_point> first =
        pending_.size() > mark_ ? std::optional(ArrivalOf(mark_).at) : std::nullopt;
    Clock::time_point end = wait_end;
    if (rules_.covers == Wait::kFirstByte && first) {
      end = *first + Characters(poll.length) + kHeldBack;
    }
    const std::optional<BegunReply> begun = BegunReplyIn(pending_, Expected(poll, mark_));
    if (begun) {
      const std::size_t length = pending_.size() - begun->start + begun->missing;
      end = std::max(end, ArrivalOf(begun->start).at + Characters(length) + kHeldBack);
    }
    const Clock::time_point now = Clock::now();
    if (now >= end) break;
    exchange::ReadLimits limits{.total = CeilMilliseconds(end - now)};
    std::int32_t want = static_cast<std::int32_t>(begun ? begun->missing : poll.length);
    if (rules_.covers == Wait::kFirstByte && !first) {
      want = 1;  // alone, so that its time is the reply's turnaround
    } else {
      limits.interval = kHeldBack;
    }
    ReadInto(want, limits);
    found = Explain();
  }

  const std::size_t own = pending_.size() - std::min(mark_, pending_.size());
  notes_.bytes = static_cast<std::int32_t>(own);
  if (own > 0) {
    notes_.turnaround = std::max(Clock::duration::zero(), ArrivalOf(mark_).at - poll.request_end);
  }
  std::int32_t given = 0;
  if (found) {
    given = static_cast<std::int32_t>(std::min<std::size_t>(found->length, std::max(count, 0)));
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(found->start), given, buffer);
    Learn(poll, *found, false);
    Erase(found->start + found->length);
    Answered(poll);
  } else {
    // What garbled it, for a scan to tell.
    notes_.line_errors = line_->TakeLineErrors();
    if (owed_.size() < kOwedLimit) owed_.push_back(poll);
  }
  current_.reset();
  return given;
}

// The poll in progress's reply, if it has come; on the way, the owed replies found before it
// and the answered replies that came again.
std::optional<FoundReply> SharedLine::Explain() {
  for (;;) {
    expected_.clear();
    const std::size_t first_owed = current_ && current_->length > 0 ? 1 : 0;
    if (first_owed == 1) expected_.push_back(Expected(*current_, mark_));
    for (const Poll& poll : owed_) expected_.push_back(Expected(poll, 0));
    const std::size_t first_answered = expected_.size();
    for (const Poll& poll : answered_) expected_.push_back(Expected(poll, 0));
    const std::optional<FoundReply> found = FindReply(pending_, expected_);
    if (!found || found->expected < first_owed) return found;
    if (found->expected < first_answered) {
      TakeLate(found->expected - first_owed, *found);
    } else {
      Erase(found->start + found->length);  // a repeat answers nothing
    }
  }
}

void SharedLine::DropExpired(Clock::time_point now) {
  const auto expired = [&](const Poll& poll) {
    return now - poll.request_end > rules_.longest_wait + Characters(kLongestFrame);
  };
  std::erase_if(owed_, expired);
  std::erase_if(answered_, expired);
}

void SharedLine::TakeLate(std::size_t owed_index, const FoundReply& found) {
  const Poll poll = owed_[owed_index];
  owed_.erase(owed_.begin() + static_cast<std::ptrdiff_t>(owed_index));
  const auto begin = pending_.begin() + static_cast<std::ptrdiff_t>(found.start);
  LateReply late;
  late.address = poll.address;
  late.frame.assign(begin, begin + static_cast<std::ptrdiff_t>(found.length));
  late.requested = poll.requested;
  late.turnaround = std::max(Clock::duration::zero(), ArrivalOf(found.start).at - poll.request_end);
  late_.push_back(std::move(late));
  Learn(poll, found, true);
  Erase(found.start + found.length);
  Answered(poll);
}

void SharedLine::Answered(const Poll& poll) {
  if (answered_.size() == kAnsweredLimit) answered_.erase(answered_.begin());
  answered_.push_back(poll);
}

void SharedLine::Learn(const Poll& poll, const FoundReply& found, bool late) {
  if (!rules_.learn) return;
  const std::size_t measured =
      rules_.covers == Wait::kWholeReply ? found.start + found.length - 1 : found.start;
  const Arrival arrival = ArrivalOf(measured);
  milliseconds needed = CeilMilliseconds(arrival.at - poll.request_end);
  // Found waiting after nobody looked for a while: it came some time before; twice the wait
  // that missed it is tried, and a reply in time then tells.
  if (!arrival.known) needed = std::min(needed, 2 * poll.wait);
  if (const std::optional<WaitChange> change = waits_.Replied(poll.address, needed, late)) {
    wait_changes_.push_back(*change);
  }
}

SharedLine::Arrival SharedLine::ArrivalOf(std::size_t index) const {
  const auto chunk = std::upper_bound(chunks_.begin(), chunks_.end(), index,
                                      [](std::size_t i, const Chunk& c) { return i < c.end; });
  if (chunk == chunks_.end()) return {Clock::now(), true};
  if (!chunk->watched) return {chunk->at, false};
  // Bytes that came in one read came at the line's pace, the last just before it returned.
  return {std::max(chunk->since, chunk->at - Characters(chunk->end - 1 - index)), true};
}

void SharedLine::Erase(std::size_t count) {
  count = std::min(count, pending_.size());
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
  std::erase_if(chunks_, [&](const Chunk& chunk) { return chunk.end <= count; });
  for (Chunk& chunk : chunks_) chunk.end -= count;
  mark_ = mark_ > count ? mark_ - count : 0;
}

ExpectedReply SharedLine::Expected(const Poll& poll, std::size_t from) const {
  return {poll.address, poll.function, poll.length, from};
}

void SharedLine::PurgeBuffers(bool /*input*/, bool /*output*/) {}

std::vector<SharedLine::LateReply> SharedLine::TakeLateReplies() {
  return std::exchange(late_, {});
}

std::vector<WaitChange> SharedLine::TakeWaitChanges() { return std::exchange(wait_changes_, {}); }

std::chrono::milliseconds SharedLine::WaitOf(std::uint8_t address) const {
  return rules_.learn ? waits_.Of(address) : rules_.reply_wait;
}

}  // namespace polling
