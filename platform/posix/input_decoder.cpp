#include "posix/input_decoder.h"

namespace platform::posix {

void InputDecoder::Emit(unsigned char byte, std::deque<unsigned char>* out,
                        std::size_t* count) const {
  if (options_.discard_nul && byte == 0) return;
  out->push_back(byte);
  ++*count;
}

std::size_t InputDecoder::Decode(const unsigned char* raw, std::size_t size,
                                 std::deque<unsigned char>* out) {
  // Plain input, the usual case, passes unchanged: in one piece rather than byte by byte.
  if (!options_.parity_marks && !options_.discard_nul) {
    out->insert(out->end(), raw, raw + size);
    return size;
  }
  std::size_t count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = raw[i];
    if (!options_.parity_marks) {
      Emit(byte, out, &count);
      continue;
    }
    switch (state_) {
      case State::kData:
        if (byte == 0xFF) {
          state_ = State::kAfterFF;
        } else {
          Emit(byte, out, &count);
        }
        break;
      case State::kAfterFF:
        if (byte == 0x00) {
          state_ = State::kAfterMark;
        } else {
          // FF FF is a real FF; anything else cannot follow a mark, pass both.
          Emit(0xFF, out, &count);
          if (byte != 0xFF) Emit(byte, out, &count);
          state_ = State::kData;
        }
        break;
      case State::kAfterMark:
        Emit(options_.replace_errors ? options_.error_char : byte, out, &count);
        state_ = State::kData;
        break;
    }
  }
  return count;
}

}  // namespace platform::posix
