#include "scan/bus_scan.h"

#include <algorithm>

#include "exchange/exchange_timing.h"
#include "exchange/quiet_view.h"
#include "instrument/readings.h"
#include "polling/poll_instrument.h"
#include "polling/shared_line.h"

namespace scan {
namespace {

// The read request on the wire: 8 characters.
constexpr auto kRequestWireTime = 8 * exchange::CHARACTER_TIME;

// How often a window's events are processed while an address is probed: a silent one takes
// nearly 200 ms.
constexpr std::chrono::milliseconds kMessageInterval{50};

// A poll's view with nothing to show, the scan reporting through its own callback, that lets a
// window process its events meanwhile.
class ScanView : public exchange::QuietView {
 public:
  explicit ScanView(const std::function<void()>& process_messages)
      : process_messages_(process_messages) {}
  void ProcessMessages() override {
    if (process_messages_) process_messages_();
  }
  std::chrono::milliseconds MessageInterval() const override {
    return process_messages_ ? kMessageInterval : std::chrono::milliseconds::zero();
  }

 private:
  const std::function<void()>& process_messages_;
};

// Puts the scan's line on the worker for as long as it lives, then the reader's own again.
class WorkerLine {
 public:
  WorkerLine(exchange::UART_THREAT& worker, exchange::ExchangePort& probe,
             exchange::ExchangePort& line)
      : worker_(worker), line_(line) {
    worker_.SetPort(&probe);
  }
  ~WorkerLine() { worker_.SetPort(&line_); }
  WorkerLine(const WorkerLine&) = delete;
  WorkerLine& operator=(const WorkerLine&) = delete;

 private:
  exchange::UART_THREAT& worker_;
  exchange::ExchangePort& line_;
};

Finding FindingOf(const polling::PollResult& result, const polling::SharedLine::PollNotes& notes) {
  switch (result.outcome) {
    case polling::PollOutcome::kAccepted:
      return Finding::kReadings;
    case polling::PollOutcome::kException:
      return Finding::kException;
    default:
      break;
  }
  return notes.bytes > 0 || notes.line_errors ? Finding::kGarbage : Finding::kSilent;
}

// An earlier address's reply that came during a later probe.
Probe LateProbe(const polling::SharedLine::LateReply& late) {
  Probe probe;
  probe.address = late.address;
  probe.turnaround = late.turnaround;
  probe.bytes = static_cast<std::int32_t>(late.frame.size());
  probe.late = true;
  instrument::DecodedFields fields;
  if (const std::optional<instrument::Readings> readings = instrument::Decode(late.frame, fields)) {
    probe.finding = Finding::kReadings;
    probe.variant = readings->variant;
  } else {
    probe.finding = Finding::kException;
    probe.exception_code = late.frame[2];
  }
  return probe;
}

}  // namespace

std::string_view FindingName(Finding finding) {
  switch (finding) {
    case Finding::kReadings:
      return "readings";
    case Finding::kException:
      return "exception";
    case Finding::kGarbage:
      return "garbage";
    case Finding::kSilent:
      return "silent";
  }
  return "silent";
}

std::string GarbageHint(const Probe& probe) {
  if (probe.line_errors) {
    return "parity or framing errors: the instrument may use other line settings than 9600 "
           "bit/s 8E1, or A and B are swapped";
  }
  return "bytes but no valid frame (a bad CRC or a wrong length): two instruments may share "
         "this address, or A and B are swapped, or the line settings differ";
}

std::chrono::milliseconds TimeoutFitting(std::chrono::steady_clock::duration turnaround) {
  using std::chrono::milliseconds;
  const auto wanted =
      std::chrono::ceil<milliseconds>(turnaround + turnaround / 4) + milliseconds(5);
  return std::clamp((wanted + milliseconds(9)) / 10 * 10, milliseconds(5), milliseconds(1000));
}

std::chrono::steady_clock::duration SilentAddressTime(const ScanSettings& settings) {
  return kRequestWireTime + settings.first_byte_timeout;
}

ScanResult ScanBus(exchange::UART_THREAT& worker, exchange::ExchangePort& line,
                   const ScanSettings& settings, const std::atomic<bool>& cancel,
                   const std::function<void(const Probe&, const ScanProgress&)>& on_probe,
                   const std::function<void()>& process_messages) {
  // Every address gets the same wait: a scan learns nothing of instruments it has not found.
  polling::SharedLine probe_line({.reply_wait = settings.first_byte_timeout,
                                  .covers = polling::SharedLine::Wait::kFirstByte,
                                  .learn = false});
  probe_line.Attach(&line);
  const WorkerLine on_worker(worker, probe_line, line);
  ScanView view(process_messages);
  ScanResult scan;
  int found = 0;
  const auto report = [&](const Probe& probe, int address) {
    if (on_probe) {
      on_probe(probe, {static_cast<std::uint8_t>(address), found,
                       (settings.last - address) * SilentAddressTime(settings)});
    }
  };
  for (int address = settings.first; address <= settings.last; ++address) {
    if (cancel.load(std::memory_order_relaxed)) {
      scan.cancelled = true;
      break;
    }
    // Each address is another instrument: nothing is kept from one reply to the next.
    instrument::DecodedFields fields;
    const polling::PollResult result =
        polling::PollInstrument(static_cast<std::uint8_t>(address), view, worker, fields);
    if (result.outcome == polling::PollOutcome::kPortClosed ||
        result.outcome == polling::PollOutcome::kPortError) {
      scan.port_error =
          result.outcome == polling::PollOutcome::kPortError ? result.error : view.error;
      break;
    }
    // Replies of earlier addresses came first; each takes that address's place.
    for (const polling::SharedLine::LateReply& late : probe_line.TakeLateReplies()) {
      const auto earlier = std::find_if(scan.probes.begin(), scan.probes.end(),
                                        [&](const Probe& p) { return p.address == late.address; });
      if (earlier == scan.probes.end() || earlier->Answered()) continue;
      *earlier = LateProbe(late);
      ++found;
      report(*earlier, address - 1);
    }
    const polling::SharedLine::PollNotes& notes = probe_line.LastPoll();
    Probe probe;
    probe.address = static_cast<std::uint8_t>(address);
    probe.finding = FindingOf(result, notes);
    probe.turnaround = notes.turnaround;
    probe.bytes = notes.bytes;
    probe.line_errors = notes.line_errors;
    if (result.readings) probe.variant = result.readings->variant;
    if (probe.finding == Finding::kException) probe.exception_code = result.reply[2];
    if (probe.Answered()) ++found;
    scan.probes.push_back(probe);
    report(probe, address);
  }
  return scan;
}

}  // namespace scan
