// The settings file on Windows: wide paths, and only a file on a disk is read as settings (a
// device or a pipe put in its place must not hang the window).
#include <algorithm>

#include "form/settings_file.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// <windows.h> makes ReplaceFile a macro for its ReplaceFileW, which would rename the storage's.
#undef ReplaceFile

namespace form {
namespace {

// Only a port name is looked for; a longer first line cannot be one, so the rest is not read.
constexpr DWORD kLongestFirstLine = 256;

class File {
 public:
  File(const std::filesystem::path& path, DWORD access)
      : handle_(::CreateFileW(path.c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
        error_(handle_ == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS) {}
  ~File() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD error() const { return error_; }
  HANDLE get() const { return handle_; }
  // Closes now, reporting the error a deferred write may show here.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_;
  DWORD error_;
};

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsDirectory(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file's bytes are overwritten first and cut to length after, so no moment leaves it empty.
bool RewriteInPlace(File& file, std::string_view content) {
  DWORD written = 0;
  return ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) != FALSE &&
         written == content.size() && ::SetEndOfFile(file.get()) != FALSE &&
         ::FlushFileBuffers(file.get()) != FALSE && file.Close();
}

// Errors with which a directory refuses a new file or the replacement of the old one, while the
// old file itself can still be written.
bool DirectoryRefusesReplacement(int code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT ||
         code == ERROR_SHARING_VIOLATION || code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

}  // namespace

bool SettingsFileExists(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path) {
  if (IsDirectory(path)) return {SettingsReadStatus::kMissing, {}};
  File file(path, GENERIC_READ);
  if (!file.open()) {
    return {IsMissing(file.error()) ? SettingsReadStatus::kMissing : SettingsReadStatus::kFailed,
            {}};
  }
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return {SettingsReadStatus::kFailed, {}};

  std::string start(kLongestFirstLine, '\0');
  DWORD got = 0;
  if (!::ReadFile(file.get(), start.data(), kLongestFirstLine, &got, nullptr)) {
    return {SettingsReadStatus::kFailed, {}};
  }
  start.resize(got);
  const std::size_t end = std::min(start.find_first_of("\r\n"), start.size());
  return {SettingsReadStatus::kRead, start.substr(0, end)};
}

bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name) {
  const std::string content = std::string(port_name) + "\r\n";
  // Opening the old file for writing tells whether the operator may change it at all (a
  // read-only file, a directory); it is closed again so that it can be replaced.
  bool old_file_exists = false;
  {
    File old_file(path, GENERIC_WRITE);
    if (!old_file.open() && !IsMissing(old_file.error())) return false;
    old_file_exists = old_file.open();
  }
  try {
    comport::storage::ReplaceFile(path, content);
    return true;
  } catch (const comport::EStorageError& error) {
    if (!old_file_exists || !DirectoryRefusesReplacement(error.SystemCode())) return false;
  }
  File old_file(path, GENERIC_WRITE);
  return old_file.open() && RewriteInPlace(old_file, content);
}

}  // namespace form
