// The INI reader of the settings storage on arbitrary file contents: reading
// never crashes, and a value written reads back (or is refused cleanly).
#include <cstdint>
#include <cstdlib>

#include "fuzz_file.h"
#include "storage/ini_file.h"
#include "storage/storage_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzzing::WriteInput(data, size, "settings.ini");
  try {
    storage::TIniFile ini(path);
    (void)ini.ReadString("ComPort1", "Port", "COM1");
    (void)ini.ReadInteger("ComPort1", "Buffer.InputSize", 1024);
    ini.WriteString("ComPort1", "Parity", "Even");
    storage::TIniFile again(path);
    if (again.ReadString("ComPort1", "Parity", "") != "Even") std::abort();
  } catch (const storage::EStorageError&) {
    // A file that cannot be held is refused with a clear error.
  }
  return 0;
}
