// Whole-file reading and replacement on Windows: the new contents go to a file beside the old
// one, flushed to the disk, which then takes the old one's place in one step.
#include <algorithm>
#include <atomic>
#include <string>

#include "runtime/win32_text.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// <windows.h> makes ReplaceFile a macro for its ReplaceFileW, which would rename ours.
#undef ReplaceFile

namespace storage {
namespace {

[[noreturn]] void Fail(std::string_view what, const std::filesystem::path& path, DWORD code) {
  throw EStorageError(std::string(what) + " \"" + runtime::Utf8FromWide(path.wstring()) +
                          "\": " + runtime::Win32ErrorText(code),
                      static_cast<int>(code));
}

// Closes the handle and deletes the temporary file unless released.
class TempFile {
 public:
  TempFile(std::filesystem::path path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }

  HANDLE handle() const { return handle_; }
  const std::filesystem::path& path() const { return path_; }
  bool Close() {
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }
  void Release() { path_.clear(); }

 private:
  std::filesystem::path path_;
  HANDLE handle_;
};

TempFile CreateTempBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path temp = target;
    temp += L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    const HANDLE handle = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return TempFile(temp, handle);
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100) {
      Fail("Cannot create a file beside", target, error);
    }
  }
}

void WriteAll(const TempFile& file, std::string_view contents,
              const std::filesystem::path& target) {
  while (!contents.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.handle(), contents.data(), chunk, &written, nullptr) || written == 0) {
      Fail("Cannot write", target, ::GetLastError());
    }
    contents.remove_prefix(written);
  }
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path) {
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    Fail("Cannot open", path, error);
  }
  std::string contents;
  char chunk[8192];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) {
      const DWORD error = ::GetLastError();
      ::CloseHandle(handle);
      Fail("Cannot read", path, error);
    }
    if (got == 0) break;
    contents.append(chunk, got);
  }
  ::CloseHandle(handle);
  return contents;
}

void ReplaceFile(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) Fail("Cannot follow the link", path, static_cast<DWORD>(ec.value()));
  }

  TempFile temp = CreateTempBeside(target);
  WriteAll(temp, contents, target);
  if (!::FlushFileBuffers(temp.handle())) Fail("Cannot write", target, ::GetLastError());
  if (!temp.Close()) Fail("Cannot write", target, ::GetLastError());
  // ReplaceFileW keeps the old file's attributes and access rights, as the Linux build keeps
  // its permission bits; a read-only file refuses to be replaced. A new file simply moves in.
  const bool exists = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  const BOOL replaced =
      exists ? ::ReplaceFileW(target.c_str(), temp.path().c_str(), nullptr, 0, nullptr, nullptr)
             : ::MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!replaced) Fail("Cannot replace", target, ::GetLastError());
  temp.Release();
}

}  // namespace storage
