#include "reader/scan_mode.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

#include "port_opening.h"
#include "reader/console.h"
#include "reader/output_check.h"
#include "reader/reader_port.h"
#include "reader/run_reader.h"
#include "reader/stop_signal.h"
#include "scan/bus_scan.h"

namespace reader {
namespace {

std::string Milliseconds(std::chrono::steady_clock::duration duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f",
                std::chrono::duration<double, std::milli>(duration).count());
  return text;
}

// A reply that came after the first-byte wait: how long it took, and the wait that fits it.
std::string LateNote(const scan::Probe& probe, std::chrono::milliseconds wait) {
  const auto needed = std::chrono::round<std::chrono::milliseconds>(*probe.turnaround);
  return " (answered after " + std::to_string(needed.count()) + " ms, beyond the wait of " +
         std::to_string(wait.count()) + " ms; give --scan-timeout " +
         std::to_string(scan::TimeoutFitting(*probe.turnaround).count()) + ")";
}

// "address 7: variant 1, turnaround 12.3 ms, readings".
std::string FindingLine(const scan::Probe& probe, std::chrono::milliseconds wait) {
  std::string line = "address " + std::to_string(probe.address) + ": ";
  const std::string turnaround =
      probe.turnaround ? "turnaround " + Milliseconds(*probe.turnaround) + " ms" : "";
  const std::string late = probe.late && probe.turnaround ? LateNote(probe, wait) : "";
  switch (probe.finding) {
    case scan::Finding::kReadings:
      return line + "variant " + std::to_string(*probe.variant) + ", " + turnaround + ", readings" +
             late;
    case scan::Finding::kException:
      return line + "exception reply, code " + std::to_string(*probe.exception_code) + ", " +
             turnaround + late;
    case scan::Finding::kGarbage:
      return line + std::to_string(probe.bytes) + " bytes, no valid frame" +
             (turnaround.empty() ? "" : ", " + turnaround) + ": " + scan::GarbageHint(probe);
    case scan::Finding::kSilent:
      break;
  }
  return line + "silent";
}

// One object per address probed, one line each.
std::string JsonRecord(const scan::Probe& probe) {
  const auto number_or_null = [](const auto& value) {
    return value ? std::to_string(*value) : std::string("null");
  };
  std::string json = "{\"address\":" + std::to_string(probe.address) + ",\"found\":\"" +
                     std::string(scan::FindingName(probe.finding)) + "\"";
  json += ",\"variant\":" + number_or_null(probe.variant);
  json += ",\"exception_code\":" + number_or_null(probe.exception_code);
  json += ",\"turnaround_ms\":" + (probe.turnaround ? Milliseconds(*probe.turnaround) : "null");
  json += ",\"bytes\":" + std::to_string(probe.bytes);
  json += std::string(",\"line_errors\":") + (probe.line_errors ? "true" : "false");
  if (probe.finding == scan::Finding::kGarbage) {
    json += ",\"hint\":\"" + scan::GarbageHint(probe) + "\"";
  }
  // Only then, as the read's records have it: the address was reported silent before.
  if (probe.late) json += ",\"late\":true";
  return json + "}";
}

// The progress line on a terminal, rewritten in place: the address, what was found, the time
// left at most.
void ShowProgress(const scan::ScanProgress& progress, std::ostream& err) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(progress.left).count();
  err << "\rscanning: address " << static_cast<int>(progress.address) << ", found "
      << progress.found << ", " << seconds << " s left   " << std::flush;
}

}  // namespace

int RunScan(const ReaderOptions& options, const std::string& port_name,
            trace::FrameTrace* frame_trace, std::ostream& out, std::ostream& err) {
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();
  std::optional<ReaderPort> port;
  if (!OpenReaderPort(port, worker, port_name, frame_trace, err)) return kExitPortError;

  scan::ScanSettings settings;
  settings.first = options.scan_first;
  settings.last = options.scan_last;
  if (options.scan_timeout_ms) {
    settings.first_byte_timeout = std::chrono::milliseconds(*options.scan_timeout_ms);
  }
  const bool json = options.format == OutputFormat::kJson;
  // Only a terminal is shown the progress: in a file or a pipe it would be clutter.
  const bool progress = &err == &std::cerr && StandardErrorIsTerminal();
  const StopSignals signals;
  std::atomic<bool> cancel{false};
  bool written = true;
  const scan::ScanResult result =
      scan::ScanBus(worker, port->Line(), settings, cancel,
                    [&](const scan::Probe& probe, const scan::ScanProgress& step) {
                      if (progress) err << "\r\x1b[K" << std::flush;
                      if (json) {
                        out << JsonRecord(probe) << '\n';
                      } else if (probe.finding != scan::Finding::kSilent) {
                        out << FindingLine(probe, settings.first_byte_timeout) << '\n';
                      }
                      written = OutputWritten(out, err);
                      if (!written || StopRequested()) cancel.store(true);
                      if (progress) ShowProgress(step, err);
                    });
  if (progress) err << "\r\x1b[K" << std::flush;
  if (!written) return kExitOutputLost;
  if (!result.port_error.empty()) {
    err << "vlk240-read: port error: " << OneLine(result.port_error) << '\n';
    return kExitPortError;
  }

  int found = 0;
  for (const scan::Probe& probe : result.probes) found += probe.Answered() ? 1 : 0;
  if (!json) {
    out << found << (found == 1 ? " instrument" : " instruments") << " found at "
        << result.probes.size() << " addresses probed"
        << (result.cancelled ? " (scan stopped)" : "") << '\n';
    if (!OutputWritten(out, err)) return kExitOutputLost;
  }
  return found > 0 ? kExitOk : kExitNoReadings;
}

}  // namespace reader
