// A set of enumeration members held as a bit word: bit n for member n.
#pragma once

#include <initializer_list>
#include <type_traits>

namespace runtime {

template <typename E, typename Bits>
class TSet {
  static_assert(std::is_unsigned_v<Bits>);

 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E member : members) Include(member);
  }

  static constexpr TSet FromBits(Bits bits) {
    TSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr Bits ToBits() const { return bits_; }

  constexpr bool Contains(E member) const { return (bits_ & Bit(member)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E member) {
    bits_ = static_cast<Bits>(bits_ | Bit(member));
    return *this;
  }
  constexpr TSet& Exclude(E member) {
    bits_ = static_cast<Bits>(bits_ & ~Bit(member));
    return *this;
  }

  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  static constexpr Bits Bit(E member) {
    return static_cast<Bits>(Bits{1} << static_cast<int>(member));
  }

  Bits bits_ = 0;
};

}  // namespace runtime
