#include "sim/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

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

std::chrono::milliseconds ParseMilliseconds(std::string_view text, std::string_view what) {
  return std::chrono::milliseconds(ParseInteger(text, 0, 60'000, what));
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

Options ParseOptions(std::span<const std::string_view> args) {
  Options options;
  Config& c = options.config;
  Readings& r = c.readings;
  using Setter = std::function<void(std::string_view)>;
  const std::map<std::string_view, Setter> kValued{
      {"--address", [&](auto v) { c.address = ParseByte(v, 1, 247, "address"); }},
      {"--variant", [&](auto v) { r.variant = ParseByte(v, 0, 3, "variant"); }},
      {"--relays", [&](auto v) { r.relays = ParseByte(v, 0, 15, "relay mask"); }},
      {"--fault", [&](auto v) { r.fault = ParseByte(v, 0, 255, "fault code"); }},
      {"--level1", [&](auto v) { r.level1 = ParseFloat(v, "level 1"); }},
      {"--volume1", [&](auto v) { r.volume1 = ParseFloat(v, "volume 1"); }},
      {"--level2", [&](auto v) { r.level2 = ParseFloat(v, "level 2"); }},
      {"--volume2", [&](auto v) { r.volume2 = ParseFloat(v, "volume 2"); }},
      {"--delay", [&](auto v) { r.alarm_delay = ParseByte(v, 0, 255, "alarm delay"); }},
      {"--selfcal", [&](auto v) { r.selfcal = ParseFloat(v, "self-calibration level"); }},
      {"--behaviour", [&](auto v) { c.behaviour = ParseBehaviour(v); }},
      {"--neighbour", [&](auto v) { c.neighbours.push_back(ParseNeighbour(v)); }},
      {"--device",
       [&](auto v) {
         if (v.empty()) Reject("empty device", v);
         options.device = std::string(v);
       }},
      {"--reply-delay", [&](auto v) { c.reply_delay = ParseMilliseconds(v, "reply delay"); }},
      {"--frame-gap",
       [&](auto v) {
         c.frame_gap = std::chrono::milliseconds(ParseInteger(v, 1, 60'000, "frame gap"));
       }},
      {"--fault-every",
       [&](auto v) {
         c.fault_every = static_cast<unsigned>(ParseInteger(v, 0, 1'000'000, "fault-every"));
       }},
      {"--seed",
       [&](auto v) {
         c.noise_seed = static_cast<std::uint32_t>(ParseInteger(v, 0, 0xFFFFFFFFL, "seed"));
       }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--paced") {
      c.paced = true;
    } else if (const auto setter = kValued.find(arg); setter != kValued.end()) {
      if (i + 1 == args.size()) Reject("missing value for", arg);
      setter->second(args[++i]);
    } else {
      Reject("unknown option", arg);
    }
  }
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
  return "usage: " + std::string(program) +
         " [options]\n"
         "Serves the level-gauge instrument as a Modbus RTU slave on a pseudo-terminal.\n"
         "Prints the device to open on the first line, serves until SIGINT or SIGTERM.\n"
         "Linux only, as it needs a pseudo-terminal; on Windows vlk240-read --demo has the\n"
         "instrument built in.\n"
         "  --device PATH      serve this existing serial device instead (e.g. a virtual\n"
         "                     machine's pty); prints it once open, ends when it hangs up\n"
         "  --address N        slave address, 1..247 (1)\n"
         "  --variant V        instrument variant, 0..3 (1)\n"
         "  --relays MASK      relay bits 0..3, e.g. 5 or 0x5 (5)\n"
         "  --fault F          sensor fault code, 0..255 (0)\n"
         "  --level1 X --volume1 X --level2 X --volume2 X --selfcal X\n"
         "                     readings in percent (45.5 30.25 12 100 50)\n"
         "  --delay S          alarm delay in seconds, 0..255 (10)\n"
         "  --behaviour B      normal|silent|exception[:code]|bad-crc|stray:N|other-address|\n"
         "                     cut:N|noise|late[:ms]|split[:ms] (normal)\n"
         "  --neighbour N[:B]  another instrument on the line at address N, answering under\n"
         "                     behaviour B (normal); may be repeated\n"
         "  --reply-delay MS   the instrument's turnaround (0)\n"
         "  --frame-gap MS     silence that ends a partial request, 1..60000 (4)\n"
         "  --fault-every N    every Nth reply takes the next of a rotating set of faults\n"
         "  --seed N           seed for noise bytes (1)\n"
         "  --paced            deliver bytes at 9600 bit/s 8E1 speed\n"
         "  --help             this text\n";
}

}  // namespace sim
