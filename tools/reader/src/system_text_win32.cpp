#include "system_text.h"

namespace reader::system_text {

const std::string_view kDevicePathStart = "\\\\";

const std::string_view kPortHelp =
    "read the instrument on this port: COM1..COM255, or a device path \\\\.\\NAME";
const std::string_view kCycleHelp =
    "poll again and again until interrupted (Ctrl+C, Ctrl+Break) or --count";
const std::string_view kListPortsHelp =
    "list the COM ports Windows knows (HARDWARE\\DEVICEMAP\\SERIALCOMM)";

const std::string_view kPortNames =
    "Port names: COMn is the Windows port of that name (Device Manager, \"Ports (COM & LPT)\",\n"
    "shows the adapter's number), unless the environment variable VLK240_COMn names another\n"
    "(set VLK240_COM1=COM7); a name starting with \"\\\\\" is a device path used as it stands.\n";

const std::string_view kTraceClock = "(the same for every program on the machine), the\n";

const std::string_view kExamples =
    "  vlk240-read --port COM5 --address 1\n"
    "  vlk240-read --port COM5 --address 12 --cycle --interval 0.5 --count 10 --verbose\n"
    "  vlk240-read --port COM5 --cycle --reopen --json >> readings.jsonl\n"
    "  vlk240-read --port COM5 --cycle --csv > readings.csv\n"
    "  vlk240-read --demo\n"
    "  vlk240-read --port COM5 --trace vlk240.trace\n"
    "  vlk240-read --decode \"01 84 02 C2 C1\" --separator ,\n"
    "  vlk240-read --list-ports\n";

}  // namespace reader::system_text
