// DescriptorOutput over the C runtime's descriptors on Windows. The runtime writes text mode:
// a line ends in CR LF, as Windows' own programs and files have it.
#include <io.h>

#include <cerrno>

#include "reader/descriptor_output.h"

namespace reader {

DescriptorOutput::DescriptorOutput(int fd) : fd_(fd) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() { WriteBuffered(); }

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
  const char* next = pbase();
  while (error_ == 0 && next < pptr()) {
    const int written = ::_write(fd_, next, static_cast<unsigned>(pptr() - next));
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

}  // namespace reader
