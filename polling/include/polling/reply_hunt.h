// Finding replies in what a shared line brought: bytes of several frames, partial frames, noise,
// in the order they came. A reply is found wherever it starts, by its address, its function and
// the CRC over its whole length, as reply matching checks it; pure functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace polling {

// A reply the line waits for: from `address`, to a request of `function`, `length` bytes when
// normal (an exception reply has 5), starting at or after `from` in the bytes searched.
struct ExpectedReply {
  std::uint8_t address = 0;
  std::uint8_t function = 0;
  std::size_t length = 0;
  std::size_t from = 0;
};

struct FoundReply {
  std::size_t start = 0;
  std::size_t length = 0;
  std::size_t expected = 0;  // index into the expectations
};

// The earliest whole, valid reply in `bytes` of one of `expected`. At one start an exception
// reply is tried before a normal one, as reply matching does, and an earlier expectation before
// a later one.
std::optional<FoundReply> FindReply(std::span<const std::uint8_t> bytes,
                                    std::span<const ExpectedReply> expected);

struct BegunReply {
  std::size_t start = 0;
  std::size_t missing = 0;  // bytes still to come
};

// The earliest reply of `reply` that has begun in `bytes` but is not whole yet: its address
// there, and its function too once that byte has come. None when no such reply has begun.
std::optional<BegunReply> BegunReplyIn(std::span<const std::uint8_t> bytes,
                                       const ExpectedReply& reply);

}  // namespace polling
