// The key store reader on arbitrary file contents: a malformed file is refused
// with a clear error; a readable one keeps its values' types.
#include <cstdint>
#include <cstdlib>

#include "fuzz_file.h"
#include "storage/key_store.h"
#include "storage/storage_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzzing::WriteInput(data, size, "registry");
  try {
    storage::TKeyStore store(path);
    auto key = store.OpenKey("Software\\Port");
    try {
      (void)key.ReadString("Port");
      (void)key.ReadInteger("Buffer.InputSize");
    } catch (const storage::ERegistryValueError&) {
      // Missing or of the other type: the documented failure.
    }
    key.WriteInteger("Fuzz", 7);
    storage::TKeyStore again(path);
    if (again.OpenKey("Software\\Port").ReadInteger("Fuzz") != 7) std::abort();
  } catch (const storage::ERegistryValueError&) {
    std::abort();  // the value just written must read back
  } catch (const storage::EStorageError&) {
    // Malformed or unwritable: refused cleanly.
  }
  return 0;
}
