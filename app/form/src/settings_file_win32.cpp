// The settings file on Windows, through kernel32's file calls and storage's ReplaceFile, with
// the rules of settings_file.h.
#include <string>

#include "form/settings_file.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// <windows.h> makes ReplaceFile a macro for its ReplaceFileW, which would rename storage's.
#undef ReplaceFile

namespace form {
namespace {

// Only a port name is looked for; a longer first line cannot be one, so the rest is not read.
constexpr std::size_t kLongestFirstLine = 256;

// Others may read, write, rename or delete the file while it is open, as on Linux.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class File {
 public:
  explicit File(HANDLE handle) : handle_(handle) {}
  ~File() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  HANDLE get() const { return handle_; }
  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now, reporting the error a deferred write may show here.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_;
};

File Open(const std::filesystem::path& path, DWORD access) {
  return File(::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

bool IsDirectory(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file's bytes are overwritten first and cut to length after, so no moment leaves it empty.
bool RewriteInPlace(const std::filesystem::path& path, std::string_view content) {
  File file = Open(path, GENERIC_WRITE);
  if (!file.open()) return false;
  while (!content.empty()) {
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) ||
        written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return ::SetEndOfFile(file.get()) && ::FlushFileBuffers(file.get()) && file.Close();
}

// Codes with which a folder refuses a new file, or the replacement of the old one, while the
// old file itself can still be written.
bool FolderRefusesReplacement(int code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
         code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_WRITE_PROTECT;
}

}  // namespace

bool SettingsFileExists(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path) {
  if (IsDirectory(path)) return {SettingsReadStatus::kMissing, {}};
  File file = Open(path, GENERIC_READ);
  if (!file.open()) {
    return {
        IsMissing(::GetLastError()) ? SettingsReadStatus::kMissing : SettingsReadStatus::kFailed,
        {}};
  }
  // A device ("COM1", "NUL") put in the file's place is no settings file.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return {SettingsReadStatus::kFailed, {}};

  char bytes[kLongestFirstLine];
  DWORD got = 0;
  if (!::ReadFile(file.get(), bytes, sizeof bytes, &got, nullptr)) {
    return {SettingsReadStatus::kFailed, {}};
  }
  std::string line(bytes, got);
  line = line.substr(0, line.find_first_of("\r\n"));
  return {SettingsReadStatus::kRead, line};
}

bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name) {
  const std::string content = std::string(port_name) + "\r\n";
  // Opening the old file for writing tells whether the operator may change it at all (a
  // read-only file, a folder in its place: refused and kept).
  bool old_file_writable = false;
  {
    File old_file = Open(path, GENERIC_WRITE);
    if (!old_file.open() && !IsMissing(::GetLastError())) return false;
    old_file_writable = old_file.open();
  }
  try {
    storage::ReplaceFile(path, content);
    return true;
  } catch (const storage::EStorageError& error) {
    if (!old_file_writable || !FolderRefusesReplacement(error.SystemCode())) return false;
  }
  return RewriteInPlace(path, content);
}

}  // namespace form
