#include "reader/reader_options.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "argument_text.h"
#include "cli/option_lines.h"
#include "cli/parse_arguments.h"
#include "option_values.h"
#include "publishing.h"
#include "system_text.h"

namespace reader {
namespace {

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Switch(bool& flag) {
  flag = true;
  return {};
}

std::string Format(ReaderOptions& o, OutputFormat format) {
  if (o.format != OutputFormat::kText) return "--json and --csv exclude each other";
  o.format = format;
  return {};
}

// "FIRST-LAST", each 1..247, FIRST at most LAST; empty for the whole range.
std::string ScanRange(ReaderOptions& o, std::string_view value) {
  if (value.empty()) return {};
  const std::size_t dash = value.find('-');
  const auto first = WholeNumber<int>(value.substr(0, dash));
  const auto last =
      dash == std::string_view::npos ? std::nullopt : WholeNumber<int>(value.substr(dash + 1));
  if (!first || !last || *first < 1 || *last > 247 || *first > *last) {
    return "--scan takes a range FIRST-LAST of addresses from 1 to 247, FIRST at most LAST, "
           "not " +
           QuotedArgument(value);
  }
  o.scan_first = static_cast<std::uint8_t>(*first);
  o.scan_last = static_cast<std::uint8_t>(*last);
  return {};
}

// The shortest first-byte wait of a scan: below it, a byte already under way could be missed.
constexpr int kMinScanTimeoutMs = 5;
// The longest: a second is already far beyond any instrument's turnaround.
constexpr int kMaxScanTimeoutMs = 1000;

// A reply's wait: from what a line through a network may need down to a fraction of a frame's
// time, since a reply begun within it is read to its end.
constexpr int kMinReplyTimeoutMs = 10;
constexpr int kMaxReplyTimeoutMs = 10000;

// A whole number of milliseconds from `min` to `max`, the option's value.
cli::Apply Milliseconds(std::optional<int>& target, std::string_view option, int min, int max) {
  return [&target, option, min, max](std::string_view value) {
    const auto ms = WholeNumber<int>(value);
    if (!ms || *ms < min || *ms > max) {
      return std::string(option) + " takes a whole number of milliseconds from " +
             std::to_string(min) + " to " + std::to_string(max) + ", not " + QuotedArgument(value);
    }
    target = *ms;
    return std::string();
  };
}

// A path option's value, refused when empty: OPTION takes WHAT.
cli::Apply Path(std::optional<std::string>& target, std::string_view option,
                std::string_view what = "a file name") {
  return [&target, option, what](std::string_view value) {
    if (value.empty()) return std::string(option) + " takes " + std::string(what);
    target = std::string(value);
    return std::string();
  };
}

constexpr std::string_view kDefaultDiscoveryPrefix = "homeassistant";

// The longest pause accepted between polls: a day; longer is almost certainly a
// typo.
constexpr double kMaxIntervalSeconds = 86400.0;

// Where the help column of the usage's option lines starts.
constexpr std::size_t kHelpColumn = 22;

// The options, each storing its value into `o`.
std::vector<cli::Option> OptionTable(ReaderOptions& o) {
  return {
      {"--port", "NAME", system_text::kPortHelp,
       [&o](std::string_view value) {
         std::string error = PortNameError(value);
         if (error.empty()) o.port = std::string(value);
         return error;
       }},
      {"--address", "N",
       "network address of the instrument, 1..247 (default 1), or a list polled in\n"
       "its order, once per cycle: 1,3,7-9",
       [&o](std::string_view value) {
         o.address = std::string(value);
         return std::string();
       }},
      {"--cycle", "", system_text::kCycleHelp, [&o](std::string_view) { return Switch(o.cycle); }},
      {"--interval", "SECONDS",
       "seconds from the start of one cycle to the next (default 2; 0.5\n"
       "allowed); a cycle that takes longer is followed at once",
       [&o](std::string_view value) {
         const auto seconds = WholeNumber<double>(value);
         if (!seconds || !std::isfinite(*seconds) || *seconds <= 0.0 ||
             *seconds > kMaxIntervalSeconds) {
           return "--interval takes a number of seconds above 0 and at most 86400, not " +
                  QuotedArgument(value);
         }
         o.interval = *seconds;
         return std::string();
       }},
      {"--count", "N", "end a cyclic read after N cycles",
       [&o](std::string_view value) {
         const auto count = WholeNumber<long>(value);
         if (!count || *count < 1) {
           return "--count takes a whole number of cycles from 1, not " + QuotedArgument(value);
         }
         o.count = *count;
         return std::string();
       }},
      {"--reopen", "", "with --cycle: after a port error, open the port again at each later poll",
       [&o](std::string_view) { return Switch(o.reopen); }},
      {"--reply-timeout", "MS",
       "each instrument's wait for its whole reply at the start, 10..10000 (default\n"
       "186); a reply begun by then is read to its end; the wait then follows what\n"
       "the instrument's replies need, up to 1000 ms (or MS when more)",
       Milliseconds(o.reply_timeout_ms, "--reply-timeout", kMinReplyTimeoutMs, kMaxReplyTimeoutMs)},
      {"--verbose", "", "also print the sent and received frames and the time-out count",
       [&o](std::string_view) { return Switch(o.verbose); }},
      {"--json", "", "print one JSON object per poll, one line each",
       [&o](std::string_view) { return Format(o, OutputFormat::kJson); }},
      {"--csv", "",
       "print a header line (not when appending to a file that holds some), then one\n"
       "row per poll; fields separated by ',' (by ';' with the decimal separator ',')",
       [&o](std::string_view) { return Format(o, OutputFormat::kCsv); }},
      {"--demo", "", "read the built-in instrument simulator instead of a port",
       [&o](std::string_view) { return Switch(o.demo); }},
      {"--trace", "FILE",
       "append a line per frame sent or received and per port event to FILE\n"
       "(\"-\": standard error)",
       Path(o.trace, "--trace", "a file name, or \"-\"")},
      {"--decode", "HEX",
       "decode one reply frame given in hexadecimal (\"01 04 1A ...\" or "
       "\"01041A...\")",
       [&o](std::string_view value) {
         o.decode_hex = std::string(value);
         return std::string();
       }},
      {"--separator", "C",
       "decimal separator: one visible character, no digit of any script, no space\n"
       "and no mark (default: the regional setting)",
       [&o](std::string_view value) {
         std::string error = SeparatorError(value);
         if (error.empty()) o.separator = std::string(value);
         return error;
       }},
      {"--scan",
       "[FIRST-LAST]",
       "send the read request to each address of the range once (default 1-247)\n"
       "and report the instruments found",
       [&o](std::string_view value) {
         o.scan = true;
         return ScanRange(o, value);
       },
       {},
       false,
       true},
      {"--scan-timeout", "MS",
       "with --scan: milliseconds to wait for the first byte of a reply, 5..1000\n"
       "(default 186, the read time-out of the whole reply)",
       Milliseconds(o.scan_timeout_ms, "--scan-timeout", kMinScanTimeoutMs, kMaxScanTimeoutMs)},
      {"--publish", "URL",
       "with --cycle: publish every record to an MQTT broker (Linux), URL\n"
       "mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://...; the password comes from\n"
       "VLK240_MQTT_PASSWORD or --password-file",
       [&o](std::string_view value) {
         std::string error = PublishUrlError(value);
         if (error.empty()) o.publish = std::string(value);
         return error;
       }},
      {"--publish-only", "",
       "with --publish: the records go to the broker only, not to standard output,\n"
       "and each instrument's failures are told when they start, not at every poll",
       [&o](std::string_view) { return Switch(o.publish_only); }},
      {"--ca-file", "FILE",
       "mqtts: the certificate authority of the broker's certificate\n"
       "(default: the system's)",
       Path(o.ca_file, "--ca-file")},
      {"--cert-file", "FILE", "mqtts: our certificate, when the broker asks for one",
       Path(o.cert_file, "--cert-file")},
      {"--key-file", "FILE", "mqtts: the key of --cert-file", Path(o.key_file, "--key-file")},
      {"--password-file", "FILE", "the broker password: the file's first line",
       Path(o.password_file, "--password-file")},
      {"--queue", "N",
       "records kept in order while the broker cannot be reached (default 10000);\n"
       "when full the oldest go",
       [&o](std::string_view value) {
         const auto queue = WholeNumber<long>(value);
         if (!queue || *queue < 1) {
           return "--queue takes a whole number of records from 1, not " + QuotedArgument(value);
         }
         o.queue = *queue;
         return std::string();
       }},
      {"--spool", "DIR",
       "keep the queue on disk too, in DIR/records.db: each record is there before\n"
       "it is printed or published, until the broker has it; seq goes on across\n"
       "restarts",
       Path(o.spool, "--spool", "a directory")},
      {"--ha-discovery",
       "[PREFIX]",
       "also publish Home Assistant's device-based discovery configs under\n"
       "PREFIX (default homeassistant), again when PREFIX/status says online;\n"
       "an instrument is offline after 3 polls in a row without a valid reply",
       [&o](std::string_view value) {
         o.ha_discovery = std::string(value.empty() ? kDefaultDiscoveryPrefix : value);
         return std::string();
       },
       {},
       false,
       true},
      {"--list-ports", "", system_text::kListPortsHelp,
       [&o](std::string_view) { return Switch(o.list_ports); }},
      {"--help", "", "show this help and exit", [&o](std::string_view) { return Switch(o.help); }},
  };
}

std::string ArgumentErrorText(const cli::ArgumentError& error) {
  const std::string name = error.option != nullptr ? std::string(error.option->name) : "";
  switch (error.problem) {
    case cli::Problem::kUnknown:
      return "unknown argument " + QuotedArgument(error.argument);
    case cli::Problem::kRepeated:
      return name + " is given more than once";
    case cli::Problem::kValueUnasked:
      return name + " takes no value";
    case cli::Problem::kValueMissing:
      return name + " needs a value (" + std::string(error.option->value_name) + ")";
    case cli::Problem::kValueRefused:
      return error.text;
  }
  return error.text;
}

// Options that belong to reading a line, for the check that no other mode is
// given them.
bool HasPublishOptions(const ReaderOptions& o);

bool HasReadOptions(const ReaderOptions& o) {
  return o.address || o.cycle || o.interval || o.count || o.reopen || o.reply_timeout_ms ||
         o.verbose || o.format != OutputFormat::kText || o.trace || o.scan || o.scan_timeout_ms ||
         HasPublishOptions(o);
}

bool HasPublishOptions(const ReaderOptions& o) {
  return o.publish || o.ca_file || o.cert_file || o.key_file || o.password_file || o.queue ||
         o.publish_only || o.spool || o.ha_discovery;
}

std::string CheckPublishCombination(const ReaderOptions& o) {
  if (!o.publish) {
    return HasPublishOptions(o) ? "--ca-file, --cert-file, --key-file, --password-file, --queue, "
                                  "--spool, --ha-discovery and --publish-only need --publish"
                                : std::string();
  }
  if (!o.cycle) return "--publish needs --cycle";
  if ((o.ca_file || o.cert_file || o.key_file) && !o.publish->starts_with("mqtts://")) {
    return "--ca-file, --cert-file and --key-file go with an mqtts:// URL only";
  }
  if (o.cert_file.has_value() != o.key_file.has_value()) {
    return "--cert-file and --key-file go together";
  }
  if (o.publish_only && (o.verbose || o.format != OutputFormat::kText)) {
    return "--publish-only prints no records, so --verbose, --json and --csv do not go with it";
  }
  if (o.ha_discovery) {
    const std::string why = DiscoveryPrefixError(*o.ha_discovery, *o.publish);
    if (!why.empty()) return "--ha-discovery " + QuotedArgument(*o.ha_discovery) + ": " + why;
  }
  return {};
}

std::string CheckCombination(const ReaderOptions& o) {
  if (o.help) return {};
  const int modes =
      (o.decode_hex ? 1 : 0) + (o.port ? 1 : 0) + (o.demo ? 1 : 0) + (o.list_ports ? 1 : 0);
  if (modes == 0) return "nothing to do: give --port, --demo, --decode or --list-ports";
  if (modes > 1) return "--port, --demo, --decode and --list-ports exclude each other";
  if ((o.decode_hex || o.list_ports) && HasReadOptions(o)) {
    return "--address, --cycle, --interval, --count, --reopen, --reply-timeout, --verbose, "
           "--json, --csv, --trace, --scan, --scan-timeout and the publishing options go with "
           "--port or --demo only";
  }
  if (o.scan_timeout_ms && !o.scan) return "--scan-timeout needs --scan";
  if (o.scan && (o.address || o.cycle || o.reopen || o.reply_timeout_ms || o.verbose ||
                 o.format == OutputFormat::kCsv)) {
    return "--scan goes with --json, --trace and --scan-timeout only, not with --address, "
           "--cycle, --reopen, --reply-timeout, --verbose or --csv";
  }
  if (o.list_ports && o.separator) return "--separator does not go with --list-ports";
  if (!o.cycle && (o.interval || o.count)) return "--interval and --count need --cycle";
  if (!o.cycle && o.reopen) return "--reopen needs --cycle";
  if (o.verbose && o.format != OutputFormat::kText) {
    return "--verbose goes with the text output only, not with --json or --csv";
  }
  return CheckPublishCombination(o);
}

constexpr std::string_view kUsageTail =
    "\n"
    "Exit status:\n"
    "  0  every poll got a valid reply with readings (also --decode of an "
    "accepted frame,\n"
    "     --scan that found an instrument, --list-ports, --help)\n"
    "  1  a poll got no readings: no valid reply within its wait (the time-out count grows),\n"
    "     a jammed line, or an exception reply: the instrument answered but "
    "refused the\n"
    "     request, which counts as answered for the time-out count but gives "
    "no readings;\n"
    "     --decode: the frame was rejected; --scan: no instrument answered\n"
    "  2  the arguments cannot be used (an address that is not an integer or "
    "outside\n"
    "     1..247 included, and a --spool directory that another reader has open)\n"
    "  3  port error: the port cannot be opened, or failed during an exchange (a cyclic\n"
    "     read ends there; with --reopen it goes on, and ends with 3)\n"
    "  4  the output could not be written: standard output closed or full, or a pipe whose\n"
    "     reader has gone (a cyclic read ends there)\n"
    "  5  --publish: the broker's host name does not resolve, or before the first\n"
    "     connection the broker refused the user name or password or the TLS handshake\n"
    "     (its certificate or ours); the read ends at the next record or at its end. Later\n"
    "     refusals count as a broker that cannot be reached\n"
    "\n";

// Then the system's paragraph on port names (system_text.h).

constexpr std::string_view kOutputAndLostPort =
    "\n"
    "Output: the readings as the window's memo shows them, one line each; in a "
    "cyclic read an\n"
    "empty line separates the polls. --verbose adds \"Послано:   ...\" before "
    "and\n"
    "\"Принято:   ...\" or \"Не отвечает (N)\" after the sent frame. Failures "
    "go to standard\n"
    "error, one line each. --json and --csv fill only the readings the reply's "
    "variant and\n"
    "fault code carry (null or empty otherwise); NaN and infinities are null "
    "in JSON.\n"
    "CSV numbers take the decimal separator when it is ',' (then ';' separates the fields, as\n"
    "a spreadsheet with that regional setting expects), a full stop otherwise; the relays are\n"
    "written as \"R\" and one digit per relay, relay 1 first, 1 for on (\"R1010\"), so that a\n"
    "spreadsheet keeps them as text.\n"
    "\n"
    "With several addresses (--address 1,3,7-9) a cycle polls each in turn; the records carry\n"
    "their address, each keeps its own time-out count, and the status is the worst seen.\n"
    "The line is shared under Modbus RTU's rules: a request goes out only after 3.5 quiet\n"
    "characters (4.0 ms), what came meanwhile taken off the line; each instrument's wait for\n"
    "its whole reply starts at --reply-timeout and follows what its replies need (--verbose\n"
    "tells each change). A reply that came after its poll's wait is a record of its own,\n"
    "after that poll's unanswered one and with its time: \"late\":true in JSON, \"late\" in the\n"
    "CSV's last column (not in rows appended to a file that holds some), a line \"late reply\"\n"
    "in the text. A line that brings bytes without a pause for the longest frame's time is\n"
    "jammed: told once, its polls send nothing (outcome \"jammed\"), told again when quiet.\n"
    "\n"
    "Scan: --scan reports each instrument found with its variant, its turnaround and whether it\n"
    "gave readings or an exception reply, and each address that gave bytes but no valid frame,\n"
    "with the likely cause. A silent address costs 9 + 186 ms (about 48 s for 1-247), or 9 ms\n"
    "plus --scan-timeout; a reply once begun is read to its end, and one that comes later is\n"
    "still its own address's, printed when it comes with the time-out that fits it.\n"
    "\n"
    "Lost port: with --reopen a cyclic read that loses its port (the adapter pulled out) says\n"
    "so once on standard error, closes the port at once and opens it again at each later\n"
    "poll. Every poll that still finds no port gives a port_error record, so a log shows the\n"
    "gap (with --verbose: \"СОМ порт недоступен\"); --count counts these polls too. A port\n"
    "that cannot be opened at the start still ends the read with 3.\n"
    "\n"
    "Trace: --trace FILE appends one line per event to FILE, fields separated by blanks:\n"
    "milliseconds on the monotonic clock ";

constexpr std::string_view kTraceEvents =
    "program, then \"open PORT [DEVICE]\", \"close PORT\", \"error MESSAGE\" (the open or the\n"
    "transfer just before failed), \"tx N HEX...\" (N bytes sent) or \"rx N HEX...\" (a read\n"
    "returned N bytes; 0: nothing came within the read time-out). A trace never holds or ends\n"
    "the read: a FIFO that no process reads is refused at the start (status 2), and a trace\n"
    "that cannot be written (a full disk, a reader that has gone or does not keep up) is told\n"
    "once on standard error and stops, while the polls go on.\n"
    "\n"
    "Publishing: --publish sends each record, as --json writes it plus \"seq\" (its number in\n"
    "this process from 1, or on from the spool's), to PREFIX/ADDRESS/state, retained, QoS 1;\n"
    "PREFIX/status says \"online\", and \"offline\" at the end or as the Last Will. While the\n"
    "broker cannot be reached the polls go on and the records wait, in order, in a queue of\n"
    "--queue records; when it is full the oldest go and the next record published says\n"
    "\"dropped\": N. With --spool DIR the queue is also on disk, in DIR/records.db (SQLite):\n"
    "every record is there, synced, before it is printed or published, and stays until the\n"
    "broker acknowledges it, so that a printed record outlives a kill, a restart or a power\n"
    "cut; \"seq\" goes on from the last run. A spool that cannot be used is told in one line,\n"
    "the records then wait in memory only; a second reader on the same DIR is refused\n"
    "(status 2). Polling starts at once, the connection is made beside it; a broker that\n"
    "does not answer within the keep-alive (10 s) counts as one that cannot be reached. It\n"
    "is tried again after 1 s, then up to every 30 s. Each change of the connection is one\n"
    "line on standard error. The TLS files and the password file are checked first: one\n"
    "that cannot be read or used is an argument error naming it and why (status 2); a\n"
    "password file that every user can read gets a warning. Windows has no publishing: run\n"
    "the reader on Linux (a gateway on the same line) to publish.\n"
    "\n"
    "Examples:\n";

}  // namespace

ParsedOptions ParseReaderOptions(std::span<const std::string_view> args) {
  ParsedOptions parsed;
  const std::vector<cli::Option> table = OptionTable(parsed.options);
  if (const auto error = cli::ParseArguments(table, args, cli::Strangers::kRefuse)) {
    parsed.error = ArgumentErrorText(*error);
    return parsed;
  }
  parsed.error = CheckCombination(parsed.options);
  return parsed;
}

std::string UsageErrorText(std::string_view message) {
  return "vlk240-read: " + std::string(message) + "\nTry 'vlk240-read --help'.\n";
}

std::string ReaderUsage() {
  std::string usage =
      "Usage: vlk240-read --port NAME [--address N[,N|,FIRST-LAST]...]\n"
      "                   [--cycle [--interval SECONDS] [--count N] [--reopen]]\n"
      "                   [--reply-timeout MS]\n"
      "                   [--verbose | --json | --csv] [--separator C] [--trace FILE]\n"
      "                   [--publish URL [--ca-file FILE] [--cert-file FILE --key-file FILE]\n"
      "                    [--password-file FILE] [--queue N] [--spool DIR] [--publish-only]\n"
      "                    [--ha-discovery [PREFIX]]]\n"
      "       vlk240-read --port NAME --scan [FIRST-LAST] [--scan-timeout MS] [--json]\n"
      "       vlk240-read --demo [same options as --port]\n"
      "       vlk240-read --decode HEX [--separator C]\n"
      "       vlk240-read --list-ports\n"
      "Reads a VLK240T level gauge over Modbus RTU (9600 bit/s, 8E1): one poll "
      "of the 13 input\n"
      "registers, or cyclic polls.\n\nOptions:\n";
  ReaderOptions unused;
  usage += cli::OptionLines(OptionTable(unused), kHelpColumn);
  usage.append(kUsageTail).append(system_text::kPortNames);
  usage.append(kOutputAndLostPort).append(system_text::kTraceClock).append(kTraceEvents);
  usage.append(system_text::kExamples);
  return usage;
}

}  // namespace reader
