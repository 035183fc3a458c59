// DescriptorOutput on Windows. To a file or a pipe the bytes go through the C runtime's
// descriptor in text mode: UTF-8, a line ending in CR LF, as Windows' own programs and files
// have it. To a console they go as UTF-16 through WriteConsoleW, which shows the Russian text
// whatever the console's code page; the C runtime would pass them on as characters of the
// ANSI code page (Wine's msvcrt does, whatever SetConsoleOutputCP said).
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "reader/descriptor_output.h"
#include "runtime/win32_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace reader {
namespace {

// The console behind descriptor `fd`, or nullptr when it leads elsewhere.
HANDLE ConsoleOf(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

// How much of `text` ends on a whole UTF-8 sequence: a lead byte near the end whose sequence
// is not complete yet stays for the next write (a buffer may end in the middle of a letter).
std::size_t WholeSequences(std::string_view text) {
  const std::size_t size = text.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(text[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

bool WriteToConsole(HANDLE console, std::string_view text) {
  const std::wstring wide = runtime::WideFromUtf8(text);
  std::wstring_view rest(wide);
  while (!rest.empty()) {
    DWORD written = 0;
    if (!::WriteConsoleW(console, rest.data(), static_cast<DWORD>(rest.size()), &written,
                         nullptr) ||
        written == 0) {
      return false;
    }
    rest.remove_prefix(written);
  }
  return true;
}

}  // namespace

DescriptorOutput::DescriptorOutput(int fd) : fd_(fd) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() {
  WriteBuffered();
  // A sequence still cut short at the end is written as it is (the console shows U+FFFD).
  if (error_ == 0 && pptr() != pbase()) {
    if (HANDLE console = ConsoleOf(fd_)) {
      const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
      WriteToConsole(console, std::string_view(pbase(), size));
    }
  }
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!WriteBuffered()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return WriteBuffered() ? 0 : -1; }

bool DescriptorOutput::WriteBuffered() {
  const std::string_view buffered(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  if (HANDLE console = ConsoleOf(fd_); console != nullptr && error_ == 0) {
    const std::size_t whole = WholeSequences(buffered);
    if (!WriteToConsole(console, buffered.substr(0, whole))) error_ = EIO;
    // The unfinished sequence (at most 3 bytes) moves to the front and waits for the rest.
    const std::string_view kept = buffered.substr(whole);
    std::memmove(buffer_.data(), kept.data(), kept.size());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(kept.size()));
    return error_ == 0;
  }
  const char* next = buffered.data();
  const char* const end = next + buffered.size();
  while (error_ == 0 && next < end) {
    const int written = ::_write(fd_, next, static_cast<unsigned>(end - next));
    if (written > 0) {
      next += written;
    } else {
      // Nothing taken from a non-empty buffer is no progress either.
      error_ = written < 0 ? errno : EIO;
    }
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

// Windows hands a program its standard handles itself, and the reader opens its port as a
// system handle, never as a C descriptor: there is nothing to reserve.
void ReserveStandardDescriptors() {}

// Windows raises no signal: a write to a pipe whose reader has gone fails by itself.
void IgnoreBrokenPipeSignal() {}

}  // namespace reader
