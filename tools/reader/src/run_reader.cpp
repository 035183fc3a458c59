#include "reader/run_reader.h"

#include "reader/decode_mode.h"
#include "reader/hex_frame.h"
#include "reader/output_check.h"
#include "reader/read_mode.h"
#include "reader/reader_options.h"
#include "reader/system_port_list.h"
#include "readings/decimal_separator.h"

namespace reader {
namespace {

int UsageError(const std::string& message, std::ostream& err) {
  err << UsageErrorText(message);
  return kExitUsage;
}

// `status`, once what went to `out` is out; kExitOutputLost otherwise.
int AfterOutput(int status, std::ostream& out, std::ostream& err) {
  return OutputWritten(out, err) ? status : kExitOutputLost;
}

int RunDecodeMode(const ReaderOptions& options, std::ostream& out, std::ostream& err) {
  const HexFrame frame = ParseHexFrame(*options.decode_hex);
  if (!frame.error.empty()) return UsageError("--decode: " + frame.error, err);
  if (options.separator) readings::SetDecimalSeparator(*options.separator);
  const int decoded = RunDecode(frame.bytes, readings::DecimalSeparator(), out, err);
  return AfterOutput(decoded == 0 ? kExitOk : kExitRejected, out, err);
}

}  // namespace

int RunReader(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed = ParseReaderOptions(args);
  if (!parsed.error.empty()) return UsageError(parsed.error, err);
  const ReaderOptions& options = parsed.options;
  if (options.help) {
    out << ReaderUsage();
    return AfterOutput(kExitOk, out, err);
  }
  if (options.decode_hex) return RunDecodeMode(options, out, err);
  if (options.list_ports) return AfterOutput(ListSystemPorts(out), out, err);
  return RunRead(options, out, err);
}

}  // namespace reader
