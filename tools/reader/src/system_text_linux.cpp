#include "system_text.h"

namespace reader::system_text {

const std::string_view kDevicePathStart = "/";

const std::string_view kPortHelp =
    "read the instrument on this port: COM1..COM255 or a device path";
const std::string_view kCycleHelp =
    "poll again and again until interrupted (SIGINT, SIGTERM, SIGHUP) or --count";
const std::string_view kListPortsHelp =
    "list the serial devices present and the COM names mapped to them";

const std::string_view kPortNames =
    "Port names: a name starting with \"/\" is a device path used as it stands; COMn takes\n"
    "the device named by the environment variable VLK240_COMn when set and not empty\n"
    "(VLK240_COM1=/dev/ttyUSB0), otherwise /dev/ttyS(n-1): COM1 is /dev/ttyS0.\n";

const std::string_view kTraceClock =
    "(CLOCK_MONOTONIC, the same for every program on the\n"
    "machine, so that vlk240-sim --trace of the other end merges with it by sort -n), the\n";

const std::string_view kExamples =
    "  vlk240-read --port COM1 --address 1\n"
    "  vlk240-read --port /dev/ttyUSB0 --address 12 --cycle --interval 0.5 --count 10 "
    "--verbose\n"
    "  vlk240-read --port COM2 --cycle --reopen --json >> readings.jsonl\n"
    "  vlk240-read --port COM2 --cycle --csv > readings.csv\n"
    "  vlk240-read --demo\n"
    "  vlk240-read --port COM1 --trace vlk240.trace\n"
    "  vlk240-read --decode \"01 84 02 C2 C1\" --separator ,\n"
    "  vlk240-read --list-ports\n";

}  // namespace reader::system_text
