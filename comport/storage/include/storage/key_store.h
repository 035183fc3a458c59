// A per-user key store: string and integer values by name under key paths
// such as "Software\\Vendor\\Port", kept in one file.
//
// Linux has no system registry; this file is its per-user stand-in, so that
// port settings can be saved to and loaded from a "registry key" here too. By
// default it lives at $XDG_CONFIG_HOME/vlk240/registry (or
// ~/.config/vlk240/registry); callers may give any path.
//
// Key paths and value names are matched ignoring the case of ASCII letters.
// Each value keeps its type: reading a string value as an integer, or the
// reverse, fails. The file is read once, by the constructor (a missing file
// is an empty store; a malformed one raises EStorageError naming the line).
// Every write goes to disk at once through a temporary file, fsynced and
// renamed over the old one; a failed write raises EStorageError and leaves
// the file and the store as they were.
//
// File format, one item per line: "[<key path>]" starts a key;
// "s:<name>=<text>" and "i:<name>=<decimal integer>" are its values. In paths,
// names and texts the bytes below 0x20, 0x7F, "%", "=", "[" and "]" are written
// as "%" and two hexadecimal digits. Blank lines and lines starting with ";"
// are ignored.
//
// Thread rule: one thread at a time, for the store and its keys.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/registry_key.h"

namespace storage {

struct StoredValue {
  std::string name;
  std::variant<std::string, std::int32_t> value;
};
struct StoredKey {
  std::string path;
  std::vector<StoredValue> values;  // in the order first written
};

class TKeyStore;

// A view of one key of a store; it must not outlive the store. The key comes
// into being with its first value.
class TKeyStoreKey : public runtime::TRegistryKey {
 public:
  TKeyStoreKey(TKeyStore& store, std::string path) : store_(store), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  void WriteString(std::string_view name, std::string_view value) override;
  void WriteInteger(std::string_view name, std::int32_t value) override;
  // Empty for a missing value; an integer value raises ERegistryValueError.
  std::string ReadString(std::string_view name) const override;
  // A missing or string value raises ERegistryValueError.
  std::int32_t ReadInteger(std::string_view name) const override;

 private:
  TKeyStore& store_;
  std::string path_;
};

class TKeyStore {
 public:
  // Raises EStorageError when the file exists but cannot be read or parsed.
  explicit TKeyStore(std::filesystem::path path);

  // The per-user default file (see above); empty when neither
  // XDG_CONFIG_HOME nor HOME is set.
  static std::filesystem::path DefaultPath();

  const std::filesystem::path& FileName() const { return path_; }
  bool KeyExists(std::string_view path) const;
  TKeyStoreKey OpenKey(std::string path) { return TKeyStoreKey(*this, std::move(path)); }

 private:
  friend class TKeyStoreKey;
  using Value = std::variant<std::string, std::int32_t>;

  // The value, or nullptr when the key or the value is missing.
  const Value* Find(std::string_view path, std::string_view name) const;
  void Write(std::string_view path, std::string_view name, Value value);

  std::filesystem::path path_;
  std::vector<StoredKey> keys_;  // in the order first written
};

}  // namespace storage
