// The layer's part of the read path: turns the bytes read() returns into the
// bytes Windows would deliver. With PARMRK the kernel marks a byte that had a
// parity or framing error as FF 00 x and doubles a real FF; the decoder
// passes x on (or the DCB's ErrorChar instead) and undoubles FF. fNull drops
// every NUL. Marks split across two reads are carried over.
// Not thread-safe; the owning device serialises it.
#pragma once

#include <cstddef>
#include <deque>

namespace platform::posix {

class InputDecoder {
 public:
  struct Options {
    bool parity_marks = false;
    bool replace_errors = false;
    unsigned char error_char = 0;
    bool discard_nul = false;
  };

  void Configure(const Options& options) {
    options_ = options;
    Reset();
  }
  // Forgets a mark cut off by the previous read (after the input was purged).
  void Reset() { state_ = State::kData; }

  // Appends the decoded form of `raw` to `out`; returns the number appended.
  std::size_t Decode(const unsigned char* raw, std::size_t size, std::deque<unsigned char>* out);

 private:
  enum class State { kData, kAfterFF, kAfterMark };
  void Emit(unsigned char byte, std::deque<unsigned char>* out, std::size_t* count) const;

  Options options_;
  State state_ = State::kData;
};

}  // namespace platform::posix
