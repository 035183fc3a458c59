#include "reader/reader_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <set>

#include "argument_text.h"
#include "option_values.h"

namespace reader {
namespace {

struct OptionRow {
  std::string_view name;
  std::string_view value_name;  // empty for a switch
  std::string_view help;
  // Stores the value; returns an error text, empty when the value is usable.
  std::string (*apply)(ReaderOptions&, std::string_view value);
};

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

// The longest pause accepted between polls: a day; longer is almost certainly a
// typo.
constexpr double kMaxIntervalSeconds = 86400.0;

const std::array<OptionRow, 14> kOptions = {{
    {"--port", "NAME", "read the instrument on this port: COM1..COM255 or a device path",
     [](ReaderOptions& o, std::string_view value) {
       std::string error = PortNameError(value);
       if (error.empty()) o.port = std::string(value);
       return error;
     }},
    {"--address", "N", "network address of the instrument, 1..247 (default 1)",
     [](ReaderOptions& o, std::string_view value) {
       o.address = std::string(value);
       return std::string();
     }},
    {"--cycle", "", "poll again and again until interrupted (SIGINT, SIGTERM) or --count",
     [](ReaderOptions& o, std::string_view) { return Switch(o.cycle); }},
    {"--interval", "SECONDS", "seconds from one cyclic poll to the next (default 2; 0.5 allowed)",
     [](ReaderOptions& o, std::string_view value) {
       const auto seconds = WholeNumber<double>(value);
       if (!seconds || !std::isfinite(*seconds) || *seconds <= 0.0 ||
           *seconds > kMaxIntervalSeconds) {
         return "--interval takes a number of seconds above 0 and at most 86400, not " +
                QuotedArgument(value);
       }
       o.interval = *seconds;
       return std::string();
     }},
    {"--count", "N", "end a cyclic read after N polls",
     [](ReaderOptions& o, std::string_view value) {
       const auto count = WholeNumber<long>(value);
       if (!count || *count < 1) {
         return "--count takes a whole number of polls from 1, not " + QuotedArgument(value);
       }
       o.count = *count;
       return std::string();
     }},
    {"--reopen", "", "with --cycle: after a port error, open the port again at each later poll",
     [](ReaderOptions& o, std::string_view) { return Switch(o.reopen); }},
    {"--verbose", "", "also print the sent and received frames and the time-out count",
     [](ReaderOptions& o, std::string_view) { return Switch(o.verbose); }},
    {"--json", "", "print one JSON object per poll, one line each",
     [](ReaderOptions& o, std::string_view) {
       o.format = OutputFormat::kJson;
       return std::string();
     }},
    {"--csv", "", "print a header line, then one comma-separated row per poll",
     [](ReaderOptions& o, std::string_view) {
       o.format = OutputFormat::kCsv;
       return std::string();
     }},
    {"--demo", "", "read the built-in instrument simulator instead of a port",
     [](ReaderOptions& o, std::string_view) { return Switch(o.demo); }},
    {"--decode", "HEX",
     "decode one reply frame given in hexadecimal (\"01 04 1A ...\" or "
     "\"01041A...\")",
     [](ReaderOptions& o, std::string_view value) {
       o.decode_hex = std::string(value);
       return std::string();
     }},
    {"--separator", "C",
     "decimal separator: one character, not a digit (default: the regional setting)",
     [](ReaderOptions& o, std::string_view value) {
       std::string error = SeparatorError(value);
       if (error.empty()) o.separator = std::string(value);
       return error;
     }},
    {"--list-ports", "", "list the serial devices present and the COM names mapped to them",
     [](ReaderOptions& o, std::string_view) { return Switch(o.list_ports); }},
    {"--help", "", "show this help and exit",
     [](ReaderOptions& o, std::string_view) { return Switch(o.help); }},
}};

const OptionRow* FindOption(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

// Options that belong to reading a line, for the check that no other mode is
// given them.
bool HasReadOptions(const ReaderOptions& o) {
  return o.address || o.cycle || o.interval || o.count || o.reopen || o.verbose ||
         o.format != OutputFormat::kText;
}

std::string CheckCombination(const ReaderOptions& o) {
  if (o.help) return {};
  const int modes =
      (o.decode_hex ? 1 : 0) + (o.port ? 1 : 0) + (o.demo ? 1 : 0) + (o.list_ports ? 1 : 0);
  if (modes == 0) return "nothing to do: give --port, --demo, --decode or --list-ports";
  if (modes > 1) return "--port, --demo, --decode and --list-ports exclude each other";
  if ((o.decode_hex || o.list_ports) && HasReadOptions(o)) {
    return "--address, --cycle, --interval, --count, --reopen, --verbose, --json and --csv go "
           "with --port or --demo only";
  }
  if (o.list_ports && o.separator) return "--separator does not go with --list-ports";
  if (!o.cycle && (o.interval || o.count)) return "--interval and --count need --cycle";
  if (!o.cycle && o.reopen) return "--reopen needs --cycle";
  if (o.verbose && o.format != OutputFormat::kText) {
    return "--verbose goes with the text output only, not with --json or --csv";
  }
  return {};
}

constexpr std::string_view kUsageTail =
    "\n"
    "Exit status:\n"
    "  0  every poll got a valid reply with readings (also --decode of an "
    "accepted frame,\n"
    "     --list-ports, --help)\n"
    "  1  a poll got no readings: no valid reply within the read time-out (the "
    "time-out\n"
    "     count grows), or an exception reply: the instrument answered but "
    "refused the\n"
    "     request, which counts as answered for the time-out count but gives "
    "no readings;\n"
    "     --decode: the frame was rejected\n"
    "  2  the arguments cannot be used (an address that is not an integer or "
    "outside\n"
    "     1..247 included)\n"
    "  3  port error: the port cannot be opened, or failed during an exchange (a cyclic\n"
    "     read ends there; with --reopen it goes on, and ends with 3)\n"
    "  4  the output could not be written: standard output closed or full, or a pipe whose\n"
    "     reader has gone (a cyclic read ends there)\n"
    "\n"
    "Port names: a name starting with \"/\" is a device path used as it "
    "stands; COMn takes\n"
    "the device named by the environment variable VLK240_COMn when set and not "
    "empty\n"
    "(VLK240_COM1=/dev/ttyUSB0), otherwise /dev/ttyS(n-1): COM1 is "
    "/dev/ttyS0.\n"
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
    "\n"
    "Lost port: with --reopen a cyclic read that loses its port (the adapter pulled out) says\n"
    "so once on standard error, closes the port at once and opens it again at each later\n"
    "poll. Every poll that still finds no port gives a port_error record, so a log shows the\n"
    "gap (with --verbose: \"СОМ порт недоступен\"); --count counts these polls too. A port\n"
    "that cannot be opened at the start still ends the read with 3.\n"
    "\n"
    "Examples:\n"
    "  vlk240-read --port COM1 --address 1\n"
    "  vlk240-read --port /dev/ttyUSB0 --address 12 --cycle --interval 0.5 "
    "--count 10 --verbose\n"
    "  vlk240-read --port COM2 --cycle --reopen --json >> readings.jsonl\n"
    "  vlk240-read --port COM2 --cycle --csv > readings.csv\n"
    "  vlk240-read --demo\n"
    "  vlk240-read --decode \"01 84 02 C2 C1\" --separator ,\n"
    "  vlk240-read --list-ports\n";

}  // namespace

ParsedOptions ParseReaderOptions(std::span<const std::string_view> args) {
  ParsedOptions parsed;
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionRow* row = FindOption(name);
    if (row == nullptr) {
      parsed.error = "unknown argument " + QuotedArgument(arg);
      return parsed;
    }
    if (!seen.insert(row->name).second) {
      parsed.error = std::string(name) + " is given more than once";
      return parsed;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (row->value_name.empty()) {
        parsed.error = std::string(name) + " takes no value";
        return parsed;
      }
      value = arg.substr(equals + 1);
    } else if (!row->value_name.empty()) {
      if (i + 1 == args.size()) {
        parsed.error = std::string(name) + " needs a value (" + std::string(row->value_name) + ")";
        return parsed;
      }
      value = args[++i];
    }
    parsed.error = row->apply(parsed.options, value);
    if (!parsed.error.empty()) return parsed;
  }
  if (seen.count("--json") && seen.count("--csv")) {
    parsed.error = "--json and --csv exclude each other";
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
      "Usage: vlk240-read --port NAME [--address N]\n"
      "                   [--cycle [--interval SECONDS] [--count N] [--reopen]]\n"
      "                   [--verbose | --json | --csv] [--separator C]\n"
      "       vlk240-read --demo [same options as --port]\n"
      "       vlk240-read --decode HEX [--separator C]\n"
      "       vlk240-read --list-ports\n"
      "Reads a VLK240T level gauge over Modbus RTU (9600 bit/s, 8E1): one poll "
      "of the 13 input\n"
      "registers, or cyclic polls.\n\nOptions:\n";
  for (const OptionRow& row : kOptions) {
    std::string left = std::string("  ").append(row.name);
    if (!row.value_name.empty()) left.append(" ").append(row.value_name);
    left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
    usage.append(left).append(row.help).append("\n");
  }
  usage += kUsageTail;
  return usage;
}

}  // namespace reader
