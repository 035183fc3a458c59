#include "reader/read_mode.h"

#include <chrono>
#include <exception>
#include <memory>
#include <system_error>

#include "argument_text.h"
#include "comport/com_errors.h"
#include "platform/comm_api.h"
#include "platform/port_names.h"
#include "publishing.h"
#include "reader/demo_line.h"
#include "reader/open_failure.h"
#include "reader/output_check.h"
#include "reader/poll_session.h"
#include "reader/reader_port.h"
#include "reader/record_writer.h"
#include "reader/run_reader.h"
#include "reader/stop_signal.h"
#include "readings/decimal_separator.h"
#include "runtime/int_text.h"
#include "trace/frame_trace.h"

namespace reader {
namespace {

constexpr std::int32_t kLowestAddress = 1;
constexpr std::int32_t kHighestAddress = 247;
constexpr double kDefaultIntervalSeconds = 2.0;  // the window's poll timer

// Messages may carry the error box's carriage return; standard error gets one
// line each.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// The errno behind a port that could not be opened; 0 for any other error.
// The component raises right after the failed call, so the calling thread's
// last system error is still that call's.
int OpenSystemError(const std::exception& error) {
  const auto* port_error = dynamic_cast<const comport::EComPort*>(&error);
  if (port_error == nullptr || port_error->PortErrorCode() != comport::kErrOpenFailed) return 0;
  return platform::Comm().GetLastSystemError();
}

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
  }
}

// Opens the port again after it failed; returns the port's error when it still
// cannot be opened.
std::string Reopen(std::optional<ReaderPort>& port, exchange::UART_THREAT& worker,
                   const std::string& port_name, trace::FrameTrace* frame_trace) {
  try {
    port.emplace(worker, port_name, frame_trace);
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

int PollPort(const ReaderOptions& options, std::uint8_t address, const std::string& port_name,
             trace::FrameTrace* frame_trace, std::ostream& out, std::ostream& err) {
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  std::optional<ReaderPort> port;
  try {
    port.emplace(worker, port_name, frame_trace);
  } catch (const std::exception& error) {
    const std::string device = platform::ResolvePortName(port_name);
    err << "vlk240-read: cannot open port " << port_name
        << (device.empty() || device == port_name ? "" : " (" + device + ")") << ": "
        << OneLine(error.what()) << OpenFailureHint(OpenSystemError(error)) << '\n';
    return kExitPortError;
  }

  PollSession session(worker, readings::DecimalSeparator());
  // A header between the rows of earlier runs (>> log.csv) would read as a row of its own.
  const RecordLayout layout{options.verbose, readings::DecimalSeparator(),
                            !OutputContinuesAFile(out)};
  const std::unique_ptr<RecordWriter> writer = MakeRecordWriter(options.format, layout, out);
  if (!OutputWritten(out, err)) return kExitOutputLost;  // the CSV header
  std::unique_ptr<RecordPublisher> publisher;
  if (options.publish) {
    PublishingStart start = StartPublishing(options, err);
    if (!start.publisher) {
      err << (start.usage ? UsageErrorText(start.error) : "vlk240-read: " + start.error + '\n');
      return start.usage ? kExitUsage : kExitPublishRefused;
    }
    publisher = std::move(start.publisher);
  }
  const std::optional<StopSignals> signals =
      options.cycle ? std::optional<StopSignals>(std::in_place) : std::nullopt;
  const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(options.interval.value_or(kDefaultIntervalSeconds)));

  bool port_failed = false;
  bool readings_missed = false;
  auto next_start = std::chrono::steady_clock::now();
  for (long polls = 1;; ++polls) {
    const std::string reopen_error =
        port ? std::string() : Reopen(port, worker, port_name, frame_trace);
    const bool polled = port.has_value();
    const PollRecord record =
        polled ? session.Poll(address) : session.PortUnavailable(address, reopen_error);
    writer->Write(record);
    if (publisher) publisher->Publish(record);
    // Checked before the poll's own failure goes to standard error, so that a
    // terminal shows the two in the order they happened.
    const bool written = OutputWritten(out, err);
    const bool count_shown = options.verbose && options.format == OutputFormat::kText;
    // A port still unavailable was reported when it failed; its records show the gap.
    if (polled) ReportFailure(record, count_shown, err);
    // Polling on when every record is lost would only hide the loss.
    if (!written) return kExitOutputLost;
    if (record.outcome == PollOutcome::kPortError) {
      if (!options.reopen) return kExitPortError;
      port_failed = true;
      // Released at once, so that a replugged adapter gets its old name back.
      port.reset();
    } else if (record.outcome != PollOutcome::kAccepted) {
      readings_missed = true;
    }

    if (!options.cycle || (options.count && polls >= *options.count)) break;
    // Poll starts keep the interval's rhythm; a poll that overran it is
    // followed at once.
    next_start = std::max(next_start + interval, std::chrono::steady_clock::now());
    if (!SleepUntilUnlessStopped(next_start)) break;
  }
  if (port_failed) return kExitPortError;
  return readings_missed ? kExitNoReadings : kExitOk;
}

}  // namespace

AddressText ParseAddress(std::string_view text) {
  std::int32_t value = 0;
  try {
    value = comport::StrToInt(text);
  } catch (const std::exception& error) {
    return {std::nullopt, error.what()};
  }
  if (value < kLowestAddress || value > kHighestAddress) {
    return {std::nullopt, "Неправильное значение сетевого адреса"};
  }
  return {static_cast<std::uint8_t>(value), {}};
}

int RunRead(const ReaderOptions& options, std::ostream& out, std::ostream& err) {
  const AddressText address = ParseAddress(options.address.value_or("1"));
  if (!address.address) {
    err << UsageErrorText("--address: " + address.error);
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
    return PollPort(options, *address.address, *options.port, frame_trace.get(), out, err);
  }

  const DemoLine demo;
  return PollPort(options, *address.address, demo.PortName(), frame_trace.get(), out, err);
}

}  // namespace reader
