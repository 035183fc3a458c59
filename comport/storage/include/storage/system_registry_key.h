// A key of the Windows registry as the place port settings are saved to and loaded from
// (Windows builds only; on Linux the key store of key_store.h stands in for it).
//
// Text values are REG_SZ, integers REG_DWORD holding the 32 bits of the signed value, as the
// registry keeps them. A missing text reads as the empty text; a missing integer, or a value of
// another type than the read asks for, raises ERegistryValueError. Failures of the registry
// itself raise EStorageError carrying the Win32 code. Key paths and value names are UTF-8 and
// matched ignoring letter case, by the registry.
//
// Thread rule: one thread at a time for one key object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/registry_key.h"

namespace storage {

class TSystemRegistryKey : public runtime::TRegistryKey {
 public:
  enum class Root { kCurrentUser, kLocalMachine };

  // Opens `path` ("Software\\Vendor\\Port") under `root` for reading and writing, creating the
  // keys on the way when missing. Raises EStorageError when it cannot.
  explicit TSystemRegistryKey(std::string path, Root root = Root::kCurrentUser);
  ~TSystemRegistryKey() override;
  TSystemRegistryKey(const TSystemRegistryKey&) = delete;
  TSystemRegistryKey& operator=(const TSystemRegistryKey&) = delete;

  const std::string& Path() const { return path_; }

  void WriteString(std::string_view name, std::string_view value) override;
  void WriteInteger(std::string_view name, std::int32_t value) override;
  std::string ReadString(std::string_view name) const override;
  std::int32_t ReadInteger(std::string_view name) const override;

  static bool KeyExists(std::string_view path, Root root = Root::kCurrentUser);
  // Removes the key with all it holds; a missing key is no error.
  static void DeleteKey(std::string_view path, Root root = Root::kCurrentUser);

 private:
  std::string path_;
  void* key_;  // the open HKEY
};

}  // namespace storage
