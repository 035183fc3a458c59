#include <vector>

#include "runtime/win32_text.h"
#include "storage/storage_errors.h"
#include "storage/system_registry_key.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace storage {
namespace {

HKEY RootKey(TSystemRegistryKey::Root root) {
  return root == TSystemRegistryKey::Root::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY Key(void* key) { return static_cast<HKEY>(key); }

[[noreturn]] void Fail(std::string_view what, std::string_view path, LSTATUS status) {
  throw EStorageError(std::string(what) + " \"" + std::string(path) +
                          "\": " + runtime::Win32ErrorText(static_cast<std::uint32_t>(status)),
                      static_cast<int>(status));
}

[[noreturn]] void ThrowValueError(std::string_view path, std::string_view name,
                                  std::string_view problem) {
  throw ERegistryValueError(std::string(name), "Value \"" + std::string(name) + "\" of key \"" +
                                                   std::string(path) + "\" " +
                                                   std::string(problem));
}

// The value's type and size, or false when it is missing.
bool Query(HKEY key, const std::wstring& name, DWORD* type, DWORD* size, std::string_view path) {
  const LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, size);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) Fail("Cannot read a value of key", path, status);
  return true;
}

}  // namespace

TSystemRegistryKey::TSystemRegistryKey(std::string path, Root root)
    : path_(std::move(path)), key_(nullptr) {
  HKEY key = nullptr;
  const LSTATUS status =
      ::RegCreateKeyExW(RootKey(root), runtime::WideFromUtf8(path_).c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) Fail("Cannot open the registry key", path_, status);
  key_ = key;
}

TSystemRegistryKey::~TSystemRegistryKey() { ::RegCloseKey(Key(key_)); }

void TSystemRegistryKey::WriteString(std::string_view name, std::string_view value) {
  const std::wstring text = runtime::WideFromUtf8(value);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  const LSTATUS status = ::RegSetValueExW(Key(key_), runtime::WideFromUtf8(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  if (status != ERROR_SUCCESS) Fail("Cannot write a value of key", path_, status);
}

void TSystemRegistryKey::WriteInteger(std::string_view name, std::int32_t value) {
  const auto bits = static_cast<DWORD>(value);
  const LSTATUS status =
      ::RegSetValueExW(Key(key_), runtime::WideFromUtf8(name).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&bits), sizeof bits);
  if (status != ERROR_SUCCESS) Fail("Cannot write a value of key", path_, status);
}

std::string TSystemRegistryKey::ReadString(std::string_view name) const {
  const std::wstring wide_name = runtime::WideFromUtf8(name);
  DWORD type = 0;
  DWORD size = 0;
  if (!Query(Key(key_), wide_name, &type, &size, path_)) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) ThrowValueError(path_, name, "is not a text");
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  const LSTATUS status = ::RegQueryValueExW(Key(key_), wide_name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(text.data()), &size);
  if (status != ERROR_SUCCESS) Fail("Cannot read a value of key", path_, status);
  // The stored text may or may not end in a zero; it ends at the first one.
  std::wstring_view value(text.data(), size / sizeof(wchar_t));
  value = value.substr(0, value.find(L'\0'));
  return runtime::Utf8FromWide(value);
}

std::int32_t TSystemRegistryKey::ReadInteger(std::string_view name) const {
  const std::wstring wide_name = runtime::WideFromUtf8(name);
  DWORD type = 0;
  DWORD size = 0;
  if (!Query(Key(key_), wide_name, &type, &size, path_)) {
    ThrowValueError(path_, name, "is missing");
  }
  if (type != REG_DWORD || size != sizeof(DWORD)) {
    ThrowValueError(path_, name, "is not an integer");
  }
  DWORD bits = 0;
  const LSTATUS status = ::RegQueryValueExW(Key(key_), wide_name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(&bits), &size);
  if (status != ERROR_SUCCESS) Fail("Cannot read a value of key", path_, status);
  return static_cast<std::int32_t>(bits);
}

bool TSystemRegistryKey::KeyExists(std::string_view path, Root root) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(RootKey(root), runtime::WideFromUtf8(path).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

void TSystemRegistryKey::DeleteKey(std::string_view path, Root root) {
  const LSTATUS status = ::RegDeleteTreeW(RootKey(root), runtime::WideFromUtf8(path).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    Fail("Cannot delete the registry key", path, status);
  }
}

}  // namespace storage
