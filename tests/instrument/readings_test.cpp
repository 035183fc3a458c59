#include "instrument/readings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "worked_example.h"

namespace {

using instrument::Decode;
using instrument::DecodedFields;
using instrument::Readings;
using Relays = std::array<bool, 4>;

protocol::FrameBuffer Rx(const std::vector<std::uint8_t>& bytes) {
  protocol::FrameBuffer rx{};
  std::copy(bytes.begin(), bytes.end(), rx.begin());
  return rx;
}

// The worked example with `fault` at offset 4 and `status` at offset 22.
protocol::FrameBuffer Reply(std::uint8_t fault, std::uint8_t status) {
  std::vector<std::uint8_t> bytes = testing_example::kReply;
  bytes[4] = fault;
  bytes[22] = status;
  return Rx(bytes);
}

struct Carried {
  bool channel1;
  bool channel2;
  bool failed1;
  bool failed2;
};

struct DecodeCase {
  std::uint8_t fault;
  std::uint8_t status;
  std::uint8_t variant;
  Carried carried;
  std::optional<Relays> relays;
};

// What each variant and fault code carries: variant 1 lists codes 0 to 3, variants 2 and 3
// only 0 and 1 (one level channel), variant 0 no channel; other codes carry no channel.
const DecodeCase kCases[] = {
    {0, 0x15, 1, {true, true, false, false}, Relays{true, false, true, false}},
    {1, 0x1A, 1, {false, true, true, false}, Relays{false, true, false, true}},
    {2, 0x10, 1, {true, false, false, true}, Relays{false, false, false, false}},
    {3, 0x1F, 1, {false, false, true, true}, Relays{true, true, true, true}},
    {4, 0x10, 1, {false, false, false, false}, Relays{false, false, false, false}},
    {255, 0xD0, 1, {false, false, false, false}, Relays{false, false, false, false}},
    {0, 0x21, 2, {true, false, false, false}, Relays{true, false, false, false}},
    {1, 0x20, 2, {false, false, true, false}, Relays{false, false, false, false}},
    {2, 0x20, 2, {false, false, false, false}, Relays{false, false, false, false}},
    {3, 0x30, 3, {false, false, false, false}, Relays{false, false, false, false}},
    {0, 0x38, 3, {true, false, false, false}, Relays{false, false, false, true}},
    {0, 0x0F, 0, {false, false, false, false}, std::nullopt},
    {1, 0xC0, 0, {false, false, false, false}, std::nullopt},
};

TEST(Decode, WhatEachVariantAndFaultCodeCarries) {
  for (const DecodeCase& c : kCases) {
    SCOPED_TRACE("fault " + std::to_string(c.fault) + ", status " + std::to_string(c.status));
    DecodedFields kept;
    const std::optional<Readings> r = Decode(Reply(c.fault, c.status), kept);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->variant, c.variant);
    EXPECT_EQ(r->fault, c.fault);
    EXPECT_EQ(r->level1, c.carried.channel1 ? std::optional(45.5f) : std::nullopt);
    EXPECT_EQ(r->volume1, c.carried.channel1 ? std::optional(30.25f) : std::nullopt);
    EXPECT_EQ(r->level2, c.carried.channel2 ? std::optional(12.0f) : std::nullopt);
    EXPECT_EQ(r->volume2, c.carried.channel2 ? std::optional(100.0f) : std::nullopt);
    EXPECT_EQ(r->sensor1_failed, c.carried.failed1);
    EXPECT_EQ(r->sensor2_failed, c.carried.failed2);
    EXPECT_EQ(r->selfcal, 50.0f);
    EXPECT_EQ(r->alarm_delay, 10);
    EXPECT_EQ(r->relays, c.relays);
    EXPECT_EQ(kept.DEVICE_VARIANT, c.variant);
    EXPECT_EQ(kept.SENSOR_FAULT, c.fault);
  }
}

TEST(Decode, ValuesNotCarriedKeepThoseOfEarlierReplies) {
  DecodedFields kept;
  ASSERT_TRUE(Decode(Reply(0, 0x15), kept));
  protocol::FrameBuffer second = Reply(1, 0x25);  // variant 2, channel 1 failed
  second[13] = 0x3F;                              // a channel 2 level nobody reads
  second[24] = 7;
  second[25] = 0x00;  // self-calibration 0
  second[26] = 0x00;
  ASSERT_TRUE(Decode(second, kept));
  EXPECT_EQ(kept.LEVEL_1, 45.5f);
  EXPECT_EQ(kept.VOLUME_1, 30.25f);
  EXPECT_EQ(kept.LEVEL_2, 12.0f);
  EXPECT_EQ(kept.VOLUME_2, 100.0f);
  EXPECT_EQ(kept.DEVICE_VARIANT, 2);
  EXPECT_EQ(kept.SENSOR_FAULT, 1);
  EXPECT_EQ(kept.ALARM_DELAY, 7);
  EXPECT_EQ(kept.SELFCAL_LEVEL, 0.0f);
}

TEST(Decode, AnExceptionReplyCarriesNothingAndKeepsEverything) {
  DecodedFields kept;
  ASSERT_TRUE(Decode(Reply(0, 0x15), kept));
  EXPECT_EQ(Decode(Rx({0x01, 0x84, 0x02, 0xC2, 0xC1}), kept), std::nullopt);
  EXPECT_EQ(kept.LEVEL_1, 45.5f);
  EXPECT_EQ(kept.DEVICE_VARIANT, 1);
}

TEST(Decode, ASignallingNanLevelReadsAsZero) {
  protocol::FrameBuffer rx = Reply(0, 0x15);
  const std::array<std::uint8_t, 4> signalling = {0x7F, 0x80, 0x00, 0x01};
  std::copy(signalling.begin(), signalling.end(), rx.begin() + 5);
  DecodedFields kept;
  const std::optional<Readings> r = Decode(rx, kept);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->level1, 0.0f);
}

}  // namespace
