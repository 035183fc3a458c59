// Standard output as the reader writes it: a stream buffer on a file
// descriptor that keeps the errno of the write that failed, which std::cout
// forgets, so that the message can say why the output was lost.
#pragma once

#include <array>
#include <streambuf>

namespace reader {

// Writes with write(2), retrying interrupted and partial writes. Once a write
// failed, what was buffered is dropped and every later write fails too. One
// thread.
class DescriptorOutput : public std::streambuf {
 public:
  explicit DescriptorOutput(int fd);
  // Writes what is still buffered; callers that care flush and check first.
  ~DescriptorOutput() override;
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  // The errno of the write that failed; 0 while every write went out.
  int error() const { return error_; }
  int descriptor() const { return fd_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // False, with error_ set, when the descriptor refused the buffered bytes.
  bool WriteBuffered();

  int fd_;
  int error_ = 0;
  std::array<char, 4096> buffer_{};
};

// Keeps descriptors 0 to 2 taken: with one of them closed the next file the
// program opens would get its number, and with standard output closed the
// readings would be written into the serial port itself. A closed one
// becomes /dev/null opened the wrong way round, so that writing to it still
// fails with EBADF, as to a closed descriptor.
void ReserveStandardDescriptors();

// Lets a write to a pipe whose reader has gone fail with EPIPE, so that the loss is reported
// and ends the program with its own status, instead of the signal ending it without a word.
void IgnoreBrokenPipeSignal();

}  // namespace reader
