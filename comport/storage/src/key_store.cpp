#include "storage/key_store.h"

#include <cstdlib>
#include <system_error>

#include "ascii_case.h"
#include "key_store_format.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

namespace storage {
namespace {

[[noreturn]] void ThrowValueError(std::string_view path, std::string_view name,
                                  std::string_view problem) {
  throw ERegistryValueError(std::string(name), "Value \"" + std::string(name) + "\" of key \"" +
                                                   std::string(path) + "\" " +
                                                   std::string(problem));
}

}  // namespace

TKeyStore::TKeyStore(std::filesystem::path path) : path_(std::move(path)) {
  if (const std::optional<std::string> contents = ReadFileIfExists(path_)) {
    keys_ = ParseKeyStore(*contents, path_);
  }
}

std::filesystem::path TKeyStore::DefaultPath() {
  std::filesystem::path base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return base / "vlk240" / "registry";
}

bool TKeyStore::KeyExists(std::string_view path) const {
  for (const StoredKey& key : keys_) {
    if (EqualIgnoringCase(key.path, path)) return true;
  }
  return false;
}

const TKeyStore::Value* TKeyStore::Find(std::string_view path, std::string_view name) const {
  for (const StoredKey& key : keys_) {
    if (!EqualIgnoringCase(key.path, path)) continue;
    for (const StoredValue& value : key.values) {
      if (EqualIgnoringCase(value.name, name)) return &value.value;
    }
    return nullptr;
  }
  return nullptr;
}

void TKeyStore::Write(std::string_view path, std::string_view name, Value value) {
  if (const Value* old = Find(path, name); old && *old == value) return;

  std::vector<StoredKey> keys = keys_;
  StoredKey* key = nullptr;
  for (StoredKey& candidate : keys) {
    if (EqualIgnoringCase(candidate.path, path)) {
      key = &candidate;
      break;
    }
  }
  if (!key) key = &keys.emplace_back(StoredKey{std::string(path), {}});
  StoredValue* slot = nullptr;
  for (StoredValue& candidate : key->values) {
    if (EqualIgnoringCase(candidate.name, name)) {
      slot = &candidate;
      break;
    }
  }
  if (slot) {
    slot->value = std::move(value);
  } else {
    key->values.push_back({std::string(name), std::move(value)});
  }

  // The per-user directory may not exist yet on first use.
  std::error_code ec;
  if (path_.has_parent_path()) std::filesystem::create_directories(path_.parent_path(), ec);
  if (ec) {
    throw EStorageError(
        "Cannot create the directory of \"" + path_.string() + "\": " + ec.message(), ec.value());
  }
  ReplaceFile(path_, FormatKeyStore(keys));
  keys_ = std::move(keys);
}

void TKeyStoreKey::WriteString(std::string_view name, std::string_view value) {
  store_.Write(path_, name, std::string(value));
}

void TKeyStoreKey::WriteInteger(std::string_view name, std::int32_t value) {
  store_.Write(path_, name, value);
}

std::string TKeyStoreKey::ReadString(std::string_view name) const {
  const TKeyStore::Value* value = store_.Find(path_, name);
  if (!value) return {};
  const auto* text = std::get_if<std::string>(value);
  if (!text) ThrowValueError(path_, name, "is an integer, not a text");
  return *text;
}

std::int32_t TKeyStoreKey::ReadInteger(std::string_view name) const {
  const TKeyStore::Value* value = store_.Find(path_, name);
  if (!value) ThrowValueError(path_, name, "is missing");
  const auto* integer = std::get_if<std::int32_t>(value);
  if (!integer) ThrowValueError(path_, name, "is a text, not an integer");
  return *integer;
}

}  // namespace storage
