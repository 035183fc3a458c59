#include "reader/run_reader.h"

#include "reader/decode_mode.h"
#include "reader/hex_frame.h"
#include "reader/port_list.h"
#include "reader/read_mode.h"
#include "reader/reader_options.h"
#include "readings/decimal_separator.h"

namespace reader {
namespace {

int UsageError(const std::string& message, std::ostream& err) {
  err << UsageErrorText(message);
  return kExitUsage;
}

int RunDecodeMode(const ReaderOptions& options, std::ostream& out, std::ostream& err) {
  const HexFrame frame = ParseHexFrame(*options.decode_hex);
  if (!frame.error.empty()) return UsageError("--decode: " + frame.error, err);
  if (options.separator) readings::SetDecimalSeparator(*options.separator);
  return RunDecode(frame.bytes, readings::DecimalSeparator(), out, err) == 0 ? kExitOk
                                                                             : kExitRejected;
}

}  // namespace

int RunReader(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed = ParseReaderOptions(args);
  if (!parsed.error.empty()) return UsageError(parsed.error, err);
  const ReaderOptions& options = parsed.options;
  if (options.help) {
    out << ReaderUsage();
    return kExitOk;
  }
  if (options.decode_hex) return RunDecodeMode(options, out, err);
  if (options.list_ports) return RunListPorts("/", out);
  return RunRead(options, out, err);
}

}  // namespace reader
