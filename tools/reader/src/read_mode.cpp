#include "reader/read_mode.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "argument_text.h"
#include "polling/shared_line.h"
#include "port_opening.h"
#include "publishing.h"
#include "reader/address_list.h"
#include "reader/output_check.h"
#include "reader/poll_session.h"
#include "reader/reader_port.h"
#include "reader/record_writer.h"
#include "reader/run_reader.h"
#include "reader/scan_mode.h"
#include "reader/stop_signal.h"
#include "readings/decimal_separator.h"
#include "service_notices.h"
#include "simline/demo_line.h"
#include "trace/frame_trace.h"

namespace reader {
namespace {

constexpr double kDefaultIntervalSeconds = 2.0;  // the window's poll timer

void ReportFailure(const PollRecord& record, bool count_shown, std::ostream& err) {
  const std::string who = "vlk240-read: address " + std::to_string(record.address) + ": ";
  switch (record.outcome) {
    case PollOutcome::kAccepted:
      return;
    case PollOutcome::kException:
      err << who << "exception reply, code " << static_cast<int>(record.reply[2])
          << "; no readings\n";
      return;
    case PollOutcome::kUnanswered:
      if (!count_shown) {
        err << who << "no valid reply (unanswered polls so far: " << record.unanswered_count
            << ")\n";
      }
      return;
    case PollOutcome::kPortError:
      err << who << "port error: " << OneLine(record.error) << '\n';
      return;
    case PollOutcome::kJammed:
      return;  // told once, when the line jammed
  }
}

// The line's rules for the reader's polls: each instrument's wait learnt from its replies,
// starting from --reply-timeout.
polling::SharedLine::Rules LineRules(const ReaderOptions& options) {
  polling::SharedLine::Rules rules;
  if (options.reply_timeout_ms) {
    rules.reply_wait = std::chrono::milliseconds(*options.reply_timeout_ms);
    rules.longest_wait = std::max(rules.longest_wait, rules.reply_wait);
  }
  return rules;
}

// The polls of one read: one session per address, so that each instrument keeps its own
// time-out count and the values its replies carried.
class ReadLoop {
 public:
  ReadLoop(const ReaderOptions& options, const std::vector<std::uint8_t>& addresses,
           const std::string& port_name, trace::FrameTrace* frame_trace, std::ostream& out,
           std::ostream& err)
      : options_(options),
        port_name_(port_name),
        frame_trace_(frame_trace),
        out_(out),
        err_(err),
        worker_(exchange::UART_THREAT::Instance()),
        line_(LineRules(options)) {
    for (const std::uint8_t address : addresses) {
      instruments_.push_back(
          {address, std::make_unique<PollSession>(worker_, readings::DecimalSeparator())});
    }
  }

  int Run() {
    const int status = PollUntilTheEnd();
    // Before the publisher's last wait for the broker, which a stop may have to sit out.
    notices_.Stopping();
    if (publisher_) {
      // That wait may still bring the broker's refusal of the start.
      publisher_->End();
      if (const std::string refusal = publisher_->StartRefusal(); !refusal.empty()) {
        err_ << "vlk240-read: " << refusal << '\n';
        return kExitPublishRefused;
      }
    }
    return status;
  }

 private:
  struct Instrument {
    std::uint8_t address;
    std::unique_ptr<PollSession> session;
    PollOutcome told = PollOutcome::kAccepted;  // with --publish-only: what was last told
  };

  int PollUntilTheEnd() {
    // From the start, so that a stop during a single read ends it cleanly too: the poll in
    // progress finishes and the port is closed.
    const StopSignals signals;
    if (!OpenReaderPort(port_, worker_, port_name_, frame_trace_, err_)) return kExitPortError;
    UseLine();
    // A header between the rows of earlier runs (>> log.csv) would read as a row of its own.
    const RecordLayout layout{options_.verbose, readings::DecimalSeparator(),
                              !OutputContinuesAFile(out_), instruments_.size() > 1};
    // With --publish-only the records go to the broker alone.
    if (!options_.publish_only) writer_ = MakeRecordWriter(options_.format, layout, out_);
    if (!OutputWritten(out_, err_)) return kExitOutputLost;  // the CSV header
    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(options_.interval.value_or(kDefaultIntervalSeconds)));
    if (options_.publish) {
      PublishingStart start = StartPublishing(options_, err_);
      if (!start.publisher) {
        err_ << (start.usage ? UsageErrorText(start.error) : "vlk240-read: " + start.error + '\n');
        return start.usage ? kExitUsage : kExitPublishRefused;
      }
      publisher_ = std::move(start.publisher);
    }

    notices_.PollingStarts(instruments_.size());
    auto cycle_start = std::chrono::steady_clock::now();
    for (long cycles = 1;; ++cycles) {
      answering_ = 0;
      for (std::size_t i = 0; i < instruments_.size(); ++i) {
        // A stop between two instruments' polls ends the read there.
        if (i > 0 && StopRequested()) return Status();
        if (i > 0) notices_.StillPolling();
        if (const std::optional<int> ended = PollOne(instruments_[i])) return *ended;
      }
      notices_.CycleEnded({answering_, instruments_.size(), port_.has_value(),
                           publisher_ ? std::optional(publisher_->Now()) : std::nullopt});
      if (!options_.cycle || (options_.count && cycles >= *options_.count)) break;
      // Cycle starts keep the interval's rhythm; a cycle that overran it is
      // followed at once.
      const auto now = std::chrono::steady_clock::now();
      const auto next_start = cycle_start + interval;
      if (now > next_start && options_.verbose) {
        err_ << "vlk240-read: cycle " << cycles << " took "
             << std::chrono::duration_cast<std::chrono::milliseconds>(now - cycle_start).count()
             << " ms, longer than the interval; the next starts at once\n";
      }
      cycle_start = std::max(next_start, now);
      if (!notices_.SleepUntilUnlessStopped(cycle_start)) break;
    }
    return Status();
  }

  // Polls one instrument and writes its record, after those of earlier polls' replies that came
  // late on the way; an exit status when the read ends there.
  std::optional<int> PollOne(Instrument& instrument) {
    const std::string reopen_error = port_ ? std::string() : Reopen();
    if (!port_)
      return Emit(instrument.session->PortUnavailable(instrument.address, reopen_error), false);
    PollRecord record = instrument.session->Poll(instrument.address);
    for (const polling::SharedLine::LateReply& late : line_.TakeLateReplies()) {
      if (const std::optional<int> ended = Emit(SessionOf(late.address).Late(late), true)) {
        return ended;
      }
    }
    // The poll's time as the line has it, which a late reply of it will carry too (an earlier
    // poll's, when this one failed before it reached the line, is older than the record's own).
    record.time = std::max(record.time, line_.LastPoll().requested);
    if (line_.LastPoll().jammed) record.outcome = PollOutcome::kJammed;
    if (record.outcome == PollOutcome::kAccepted) ++answering_;
    ReportLine();
    return Emit(record, true);
  }

  // Writes a record and what it comes to; an exit status when the read ends there. `report`:
  // its failure goes to standard error (a port still unavailable was reported when it failed;
  // its records show the gap).
  std::optional<int> Emit(const PollRecord& record, bool report) {
    // Spooled before it is printed, so that no record printed is lost to a crash.
    if (publisher_) publisher_->Publish(record);
    if (writer_) writer_->Write(record);
    // Checked before the poll's own failure goes to standard error, so that a
    // terminal shows the two in the order they happened.
    const bool written = OutputWritten(out_, err_);
    const bool count_shown = options_.verbose && options_.format == OutputFormat::kText;
    if (report && Tells(record)) ReportFailure(record, count_shown, err_);
    // Polling on when every record is lost would only hide the loss.
    if (!written) return kExitOutputLost;
    // The broker refused us at the start: polling on would publish nothing.
    if (publisher_ && !publisher_->StartRefusal().empty()) return kExitPublishRefused;
    if (record.outcome == PollOutcome::kPortError) {
      if (!options_.reopen) return kExitPortError;
      port_failed_ = true;
      // Released at once, so that a replugged adapter gets its old name back.
      line_.Attach(nullptr);
      port_.reset();
    } else if (record.outcome != PollOutcome::kAccepted) {
      readings_missed_ = true;
    }
    return std::nullopt;
  }

  // The line's changes: a jam once each way, and with --verbose each learnt wait's change.
  void ReportLine() {
    if (line_.Jammed() != jam_told_) {
      jam_told_ = line_.Jammed();
      err_ << (jam_told_ ? "vlk240-read: the line is jammed: bytes keep coming without a pause "
                           "between frames, so no request can go out; polling goes on\n"
                         : "vlk240-read: the line is quiet again\n");
    }
    for (const polling::WaitChange& change : line_.TakeWaitChanges()) {
      if (!options_.verbose) continue;
      err_ << "vlk240-read: address " << static_cast<int>(change.address) << ": reply wait "
           << change.from.count() << " ms -> " << change.to.count() << " ms (a reply needed "
           << change.needed.count() << " ms)\n";
    }
  }

  // Opens the port again after it failed; returns the port's error when it still cannot be
  // opened.
  std::string Reopen() {
    try {
      port_.emplace(worker_, port_name_, frame_trace_);
    } catch (const std::exception& error) {
      return error.what();
    }
    UseLine();
    return {};
  }

  // The reader's polls go through the shared line's rules in front of the port.
  void UseLine() {
    line_.Attach(&port_->Line());
    worker_.SetPort(&line_);
  }

  // Whether a record's failure goes to standard error. With --publish-only, for a service's
  // journal, only an instrument's changes are told: the first poll of a failure, and its
  // first readings after one ("answers again"), not a line per poll of an instrument that is
  // switched off.
  bool Tells(const PollRecord& record) {
    if (!options_.publish_only || record.late) return true;
    PollOutcome& told = InstrumentAt(static_cast<std::uint8_t>(record.address)).told;
    if (record.outcome == told) return false;
    if (record.outcome == PollOutcome::kAccepted) {
      err_ << "vlk240-read: address " << record.address << ": answers again\n";
    }
    told = record.outcome;
    return true;
  }

  Instrument& InstrumentAt(std::uint8_t address) {
    return *std::find_if(instruments_.begin(), instruments_.end(),
                         [&](const Instrument& i) { return i.address == address; });
  }

  PollSession& SessionOf(std::uint8_t address) { return *InstrumentAt(address).session; }

  // The worst that any poll came to.
  int Status() const {
    if (port_failed_) return kExitPortError;
    return readings_missed_ ? kExitNoReadings : kExitOk;
  }

  const ReaderOptions& options_;
  const std::string& port_name_;
  trace::FrameTrace* frame_trace_;
  std::ostream& out_;
  std::ostream& err_;
  exchange::UART_THREAT& worker_;
  std::vector<Instrument> instruments_;
  // Before the port, so that the port takes itself away from the worker before the line goes.
  polling::SharedLine line_;
  std::optional<ReaderPort> port_;
  std::unique_ptr<RecordWriter> writer_;
  std::unique_ptr<RecordPublisher> publisher_;  // with --publish only
  ServiceNotices notices_;
  std::size_t answering_ = 0;  // instruments whose poll of this cycle gave readings
  bool port_failed_ = false;
  bool readings_missed_ = false;
  bool jam_told_ = false;
};

int ReadOrScan(const ReaderOptions& options, const std::vector<std::uint8_t>& addresses,
               const std::string& port_name, trace::FrameTrace* frame_trace, std::ostream& out,
               std::ostream& err) {
  if (options.scan) return RunScan(options, port_name, frame_trace, out, err);
  return ReadLoop(options, addresses, port_name, frame_trace, out, err).Run();
}

}  // namespace

int RunRead(const ReaderOptions& options, std::ostream& out, std::ostream& err) {
  const AddressList addresses = ParseAddressList(options.address.value_or("1"));
  if (!addresses.error.empty()) {
    err << UsageErrorText("--address: " + addresses.error);
    return kExitUsage;
  }
  std::unique_ptr<trace::FrameTrace> frame_trace;
  if (options.trace) {
    try {
      frame_trace = trace::FrameTrace::Open(*options.trace, err, "vlk240-read");
    } catch (const std::system_error& error) {
      err << UsageErrorText("--trace: cannot open " + QuotedArgument(*options.trace) + ": " +
                            error.code().message());
      return kExitUsage;
    }
  }
  if (options.separator) readings::SetDecimalSeparator(*options.separator);
  if (!options.demo) {
    return ReadOrScan(options, addresses.addresses, *options.port, frame_trace.get(), out, err);
  }

  const simline::DemoLine demo("<demo>", simline::DemoLine::Pace::kAtOnce);
  return ReadOrScan(options, addresses.addresses, demo.PortName(), frame_trace.get(), out, err);
}

}  // namespace reader
