#include "sim/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "cli/option_lines.h"
#include "cli/parse_arguments.h"

namespace sim {
namespace {

[[noreturn]] void Reject(std::string_view what, std::string_view text) {
  throw OptionError(std::string(what) + ": \"" + std::string(text) + "\"");
}

long ParseInteger(std::string_view text, long min, long max, std::string_view what) {
  int base = 10;
  std::string_view digits = text;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  }
  long value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value < min || value > max) {
    Reject(what, text);
  }
  return value;
}

std::uint8_t ParseByte(std::string_view text, long min, long max, std::string_view what) {
  return static_cast<std::uint8_t>(ParseInteger(text, min, max, what));
}

float ParseFloat(std::string_view text, std::string_view what) {
  float value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) Reject(what, text);
  return value;
}

std::chrono::milliseconds ParseMilliseconds(std::string_view text, std::string_view what,
                                            long min = 0) {
  return std::chrono::milliseconds(ParseInteger(text, min, 60'000, what));
}

}  // namespace

Behaviour ParseBehaviour(std::string_view text) {
  const auto colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const bool has_argument = colon != std::string_view::npos;
  const std::string_view argument = has_argument ? text.substr(colon + 1) : std::string_view();

  struct Kind {
    BehaviourKind kind;
    enum { kNone, kOptional, kRequired } argument;
  };
  static const std::map<std::string_view, Kind> kKinds{
      {"normal", {BehaviourKind::kNormal, Kind::kNone}},
      {"silent", {BehaviourKind::kSilent, Kind::kNone}},
      {"exception", {BehaviourKind::kException, Kind::kOptional}},
      {"bad-crc", {BehaviourKind::kBadCrc, Kind::kNone}},
      {"stray", {BehaviourKind::kStray, Kind::kRequired}},
      {"other-address", {BehaviourKind::kOtherAddress, Kind::kNone}},
      {"cut", {BehaviourKind::kCut, Kind::kRequired}},
      {"noise", {BehaviourKind::kNoise, Kind::kNone}},
      {"late", {BehaviourKind::kLate, Kind::kOptional}},
      {"split", {BehaviourKind::kSplit, Kind::kOptional}},
      {"repeat", {BehaviourKind::kRepeat, Kind::kOptional}},
      {"extra", {BehaviourKind::kExtra, Kind::kRequired}},
      {"pause", {BehaviourKind::kPause, Kind::kRequired}},
      {"babble", {BehaviourKind::kBabble, Kind::kOptional}},
  };
  const auto found = kKinds.find(name);
  if (found == kKinds.end() || (has_argument && found->second.argument == Kind::kNone) ||
      (!has_argument && found->second.argument == Kind::kRequired)) {
    Reject("unknown behaviour", text);
  }
  Behaviour behaviour;
  behaviour.kind = found->second.kind;
  if (!has_argument) return behaviour;
  switch (behaviour.kind) {
    case BehaviourKind::kException:
      behaviour.exception_code = ParseByte(argument, 1, 255, "exception code");
      break;
    case BehaviourKind::kStray:
      behaviour.stray_bytes = static_cast<int>(ParseInteger(argument, 1, 5, "stray byte count"));
      break;
    case BehaviourKind::kCut:
      behaviour.cut_after = static_cast<int>(ParseInteger(argument, 1, 255, "cut after"));
      break;
    case BehaviourKind::kLate:
      behaviour.late = ParseMilliseconds(argument, "late delay");
      break;
    case BehaviourKind::kSplit:
      behaviour.split_pause = ParseMilliseconds(argument, "split pause");
      break;
    case BehaviourKind::kRepeat:
      behaviour.repeat_pause = ParseMilliseconds(argument, "repeat pause");
      break;
    case BehaviourKind::kExtra:
      behaviour.extra_bytes = static_cast<int>(ParseInteger(argument, 1, 255, "extra byte count"));
      break;
    case BehaviourKind::kPause: {
      const auto second = argument.find(':');
      if (second == std::string_view::npos) Reject("pause needs N:MS", text);
      behaviour.pause_after =
          static_cast<int>(ParseInteger(argument.substr(0, second), 1, 255, "pause after"));
      behaviour.pause = ParseMilliseconds(argument.substr(second + 1), "pause length");
      break;
    }
    case BehaviourKind::kBabble:
      behaviour.babble = ParseMilliseconds(argument, "babble length", 1);
      break;
    default:
      break;
  }
  return behaviour;
}

Neighbour ParseNeighbour(std::string_view text) {
  const auto colon = text.find(':');
  Neighbour neighbour;
  neighbour.address = ParseByte(text.substr(0, colon), 1, 247, "neighbour address");
  if (colon != std::string_view::npos) neighbour.behaviour = ParseBehaviour(text.substr(colon + 1));
  return neighbour;
}

namespace {

// Where the help column of the usage's option lines starts.
constexpr std::size_t kHelpColumn = 21;

// An option whose value the parsers above check, throwing OptionError.
cli::Apply Storing(std::function<void(std::string_view)> store) {
  return [store = std::move(store)](std::string_view value) {
    store(value);
    return std::string();
  };
}

// The options, each storing its value into `options`.
std::vector<cli::Option> OptionTable(Options& options) {
  Config& c = options.config;
  Readings& r = c.readings;
  return {
      {"--device", "PATH",
       "serve this existing serial device instead (e.g. a virtual\n"
       "machine's pty); prints it once open, ends when it hangs up",
       Storing([&](auto v) {
         if (v.empty()) Reject("empty device", v);
         options.device = std::string(v);
       })},
      {"--address", "N", "slave address, 1..247 (1)",
       Storing([&](auto v) { c.address = ParseByte(v, 1, 247, "address"); })},
      {"--variant", "V", "instrument variant, 0..3 (1)",
       Storing([&](auto v) { r.variant = ParseByte(v, 0, 3, "variant"); })},
      {"--relays", "MASK", "relay bits 0..3, e.g. 5 or 0x5 (5)",
       Storing([&](auto v) { r.relays = ParseByte(v, 0, 15, "relay mask"); })},
      {"--fault", "F", "sensor fault code, 0..255 (0)",
       Storing([&](auto v) { r.fault = ParseByte(v, 0, 255, "fault code"); })},
      {"--level1", "X", "level of channel 1 in percent (45.5)",
       Storing([&](auto v) { r.level1 = ParseFloat(v, "level 1"); })},
      {"--volume1", "X", "volume of channel 1 in percent (30.25)",
       Storing([&](auto v) { r.volume1 = ParseFloat(v, "volume 1"); })},
      {"--level2", "X", "level of channel 2 in percent (12)",
       Storing([&](auto v) { r.level2 = ParseFloat(v, "level 2"); })},
      {"--volume2", "X", "volume of channel 2 in percent (100)",
       Storing([&](auto v) { r.volume2 = ParseFloat(v, "volume 2"); })},
      {"--selfcal", "X", "self-calibration level in percent (50)",
       Storing([&](auto v) { r.selfcal = ParseFloat(v, "self-calibration level"); })},
      {"--delay", "S", "alarm delay in seconds, 0..255 (10)",
       Storing([&](auto v) { r.alarm_delay = ParseByte(v, 0, 255, "alarm delay"); })},
      {"--behaviour", "B",
       "normal|silent|exception[:code]|bad-crc|stray:N|other-address|\n"
       "cut:N|noise|late[:ms]|split[:ms]|repeat[:ms]|extra:N|\n"
       "pause:N:ms|babble[:ms] (normal)",
       Storing([&](auto v) { c.behaviour = ParseBehaviour(v); })},
      {"--neighbour",
       "N[:B]",
       "another instrument on the line at address N, answering under\n"
       "behaviour B (normal); may be repeated",
       Storing([&](auto v) { c.neighbours.push_back(ParseNeighbour(v)); }),
       {},
       true},
      {"--reply-delay", "MS", "the instrument's turnaround (0)",
       Storing([&](auto v) { c.reply_delay = ParseMilliseconds(v, "reply delay"); })},
      {"--frame-gap", "MS", "silence that ends a partial request, 1..60000 (4)",
       Storing([&](auto v) {
         c.frame_gap = std::chrono::milliseconds(ParseInteger(v, 1, 60'000, "frame gap"));
       })},
      {"--fault-every", "N", "every Nth reply takes the next of a rotating set of faults",
       Storing([&](auto v) {
         c.fault_every = static_cast<unsigned>(ParseInteger(v, 0, 1'000'000, "fault-every"));
       })},
      {"--seed", "N", "seed for the random bytes of noise, extra and babble (1)",
       Storing([&](auto v) {
         c.noise_seed = static_cast<std::uint32_t>(ParseInteger(v, 0, 0xFFFFFFFFL, "seed"));
       })},
      {"--paced", "", "deliver bytes at 9600 bit/s 8E1 speed",
       Storing([&](auto) { c.paced = true; })},
      {"--trace", "FILE",
       "append a line per frame read or written and per line event to\n"
       "FILE (\"-\": standard error), as vlk240-read --trace does",
       Storing([&](auto v) {
         if (v.empty()) Reject("empty trace file", v);
         options.trace = std::string(v);
       })},
      {"--help", "", "this text", Storing([&](auto) { options.help = true; }), "-h"},
  };
}

[[noreturn]] void RejectArgument(const cli::ArgumentError& error) {
  switch (error.problem) {
    case cli::Problem::kUnknown:
      Reject("unknown option", error.argument);
    case cli::Problem::kRepeated:
      Reject("given more than once", error.argument);
    case cli::Problem::kValueUnasked:
      Reject("takes no value", error.argument);
    case cli::Problem::kValueMissing:
      Reject("missing value for", error.argument);
    case cli::Problem::kValueRefused:
      break;
  }
  Reject(error.text, error.argument);
}

}  // namespace

Options ParseOptions(std::span<const std::string_view> args) {
  Options options;
  const std::vector<cli::Option> table = OptionTable(options);
  if (const auto error = cli::ParseArguments(table, args, cli::Strangers::kRefuse)) {
    RejectArgument(*error);
  }
  const Config& c = options.config;
  for (auto n = c.neighbours.begin(); n != c.neighbours.end(); ++n) {
    const bool taken = n->address == c.address ||
                       std::any_of(c.neighbours.begin(), n, [&](const Neighbour& other) {
                         return other.address == n->address;
                       });
    if (taken) Reject("address already on the line", std::to_string(n->address));
  }
  return options;
}

std::string Usage(std::string_view program) {
  Options unused;
  return "usage: " + std::string(program) +
         " [options]\n"
         "Serves the level-gauge instrument as a Modbus RTU slave on a pseudo-terminal.\n"
         "Prints the device to open on the first line, serves until SIGINT or SIGTERM.\n"
         "Linux only, as it needs a pseudo-terminal; on Windows vlk240-read --demo has the\n"
         "instrument built in.\n" +
         cli::OptionLines(OptionTable(unused), kHelpColumn);
}

}  // namespace sim
