#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace reader {

enum class OutputFormat { kText, kJson, kCsv };

struct ReaderOptions {
  bool help = false;
  std::optional<std::string> decode_hex;      // --decode: a reply frame to decode offline
  std::optional<std::string> separator;       // --separator: overrides the regional separator
  std::optional<std::string> port;            // --port: COMn or a device path
  std::optional<std::string> address;         // --address: a list, each like the window's field
  bool cycle = false;                         // --cycle
  std::optional<double> interval;             // --interval: seconds between cycle starts
  std::optional<long> count;                  // --count: cycles before a cyclic read ends
  bool reopen = false;                        // --reopen: a cyclic read outlives a lost port
  std::optional<int> reply_timeout_ms;        // --reply-timeout: each instrument's first wait
  bool verbose = false;                       // --verbose
  OutputFormat format = OutputFormat::kText;  // --json, --csv
  bool demo = false;                          // --demo: the built-in simulator as the line
  std::optional<std::string> trace;           // --trace: the frame trace's file, "-": stderr
  bool list_ports = false;                    // --list-ports
  bool scan = false;                          // --scan: probe each address of a range
  std::uint8_t scan_first = 1;                // --scan FIRST-LAST
  std::uint8_t scan_last = 247;
  std::optional<int> scan_timeout_ms;  // --scan-timeout: wait for a reply's first byte
  // Publishing each record of a cyclic read to an MQTT broker (Linux)
  std::optional<std::string> publish;  // --publish: mqtt[s]://[USER@]HOST[:PORT]/PREFIX
  std::optional<std::string> ca_file;  // --ca-file, --cert-file, --key-file: mqtts
  std::optional<std::string> cert_file;
  std::optional<std::string> key_file;
  std::optional<std::string> password_file;  // --password-file: in place of VLK240_MQTT_PASSWORD
  std::optional<long> queue;                 // --queue: records kept while the broker is away
  bool publish_only = false;                 // --publish-only: no records on standard output
  std::optional<std::string> spool;          // --spool: the directory of the queue on disk
  std::optional<std::string> ha_discovery;   // --ha-discovery: the discovery prefix
};

struct ParsedOptions {
  ReaderOptions options;
  std::string error;  // empty when the arguments were usable
};

// Parses the arguments after the program name. Options take their value as the
// next argument or after "=" ("--separator ," or "--separator=,"); each may be
// given once. Also rejects combinations that make no sense together (two modes,
// --count without --cycle, ...), so that no option is silently ignored.
ParsedOptions ParseReaderOptions(std::span<const std::string_view> args);

// A usage error as standard error shows it: the message on one line, then
// where the usage is.
std::string UsageErrorText(std::string_view message);

// Usage, one line per option generated from the same table the parser uses,
// then the exit statuses, the port name mapping and an example per mode.
std::string ReaderUsage();

}  // namespace reader
