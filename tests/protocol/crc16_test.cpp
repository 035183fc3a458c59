#include "protocol/crc16.h"

#include <gtest/gtest.h>

#include <string>

#include "frame_bytes.h"

namespace {

using protocol::CRC16;
using protocol_test::Buffer;
using protocol_test::Bytes;

struct CrcCase {
  const char* name;
  Bytes bytes;
  std::uint16_t crc;
};

TEST(Crc16, KnownVectors) {
  const std::string check = "123456789";
  const CrcCase cases[] = {
      {"empty", {}, 0xFFFF},
      {"check string", Bytes(check.begin(), check.end()), 0x4B37},
      {"read request to address 1", {0x01, 0x04, 0x00, 0x00, 0x00, 0x0D}, 0xCF31},
      {"29 zero bytes", Bytes(29, 0), 0xBEEB},
      {"exception reply head", {0x01, 0x84, 0x02}, 0xC1C2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CRC16(static_cast<std::uint8_t>(c.bytes.size()), Buffer(c.bytes)), c.crc) << c.name;
  }
}

TEST(Crc16, ReadsOnlyTheCountedBytes) {
  auto buffer = Buffer({0x01, 0x04, 0x00, 0x00, 0x00, 0x0D});
  buffer[6] = 0xAA;  // must not take part
  buffer[269] = 0x55;
  EXPECT_EQ(CRC16(6, buffer), 0xCF31);
}

}  // namespace
