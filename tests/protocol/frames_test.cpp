#include "protocol/frames.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "frame_bytes.h"

namespace {

using protocol::AppendCrc;
using protocol::FillReadInputRegisters;
using protocol::FrameBuffer;
using protocol::MatchReply;
using protocol::ReplyCrcOk;
using protocol_test::Buffer;
using protocol_test::Bytes;
using protocol_test::Concat;
using protocol_test::NormalReply;
using protocol_test::WithCrc;

TEST(ReadRequest, RegistersHighByteFirstAndReplyLength) {
  FrameBuffer tx{};
  const auto request = FillReadInputRegisters(tx, 247, 0x0102, 0x0304);
  EXPECT_EQ(request.tx_len, 6);
  EXPECT_EQ(request.rx_len, 2 * 0x0304 + 5);
  EXPECT_EQ(Bytes(tx.begin(), tx.begin() + 7), (Bytes{247, 4, 1, 2, 3, 4, 0}));
  EXPECT_EQ(protocol::RECEIVED_PREFIX, "Принято:   ");
}

TEST(AppendCrc, LengthsThatDoNotFitWriteNothing) {
  FrameBuffer sevens{};
  sevens.fill(7);
  for (const std::int32_t tx_len : {-1, 269, 270, INT_MAX, INT_MIN}) {
    FrameBuffer tx = sevens;
    AppendCrc(tx, tx_len);
    EXPECT_EQ(tx, sevens) << tx_len;
    // The sent-frame text of such a length shows at most the whole buffer.
    EXPECT_LE(protocol::SentFrameText(tx, tx_len).size(), protocol::SENT_PREFIX.size() + 270 * 2);
  }
}

// One reply-matching scenario: what was read, what the request was, and the verdict.
struct MatchCase {
  const char* name;
  Bytes received;
  std::int32_t dev_addr;
  std::int32_t dev_func;
  std::int32_t rx_len;
  std::int32_t accepted_length;
  Bytes copied;  // expected RX_BUF contents from offset 0; the rest must be zero
  bool crc_ok;
};

const Bytes kException = {0x01, 0x84, 0x02, 0xC2, 0xC1};
const Bytes kReply1 = NormalReply(1);
const Bytes kStray = {0xFF, 0xFE, 0xFD, 0xFC};

// A 31-byte normal reply whose CRC high byte is zero, so that losing it goes unnoticed.
Bytes ReplyWithZeroCrcHigh() {
  for (int fill = 0; fill < 256; ++fill) {
    Bytes reply = NormalReply(1, static_cast<std::uint8_t>(fill));
    if (reply.back() == 0) return reply;
  }
  for (int fill = 0; fill < 65536; ++fill) {
    Bytes frame{1, 4, 26};
    frame.insert(frame.end(), 24, 0x11);
    frame.push_back(static_cast<std::uint8_t>(fill >> 8));
    frame.push_back(static_cast<std::uint8_t>(fill));
    Bytes reply = WithCrc(frame);
    if (reply.back() == 0) return reply;
  }
  return {};
}

Bytes Head(const Bytes& bytes, std::size_t n) { return Bytes(bytes.begin(), bytes.begin() + n); }

std::vector<MatchCase> MatchCases() {
  const Bytes zero_high = ReplyWithZeroCrcHigh();
  const Bytes write_reply = WithCrc({1, 16, 0, 0, 0, 13});
  const Bytes bad_crc = [] {
    Bytes r = NormalReply(1);
    r[29] ^= 0x01;
    return r;
  }();
  std::vector<MatchCase> cases = {
      {"normal reply at 0", kReply1, 1, 4, 31, 31, kReply1, true},
      {"exception alone, 31 asked", kException, 1, 4, 31, 5, kException, true},
      {"normal reply after a stray byte loses its last byte", Head(Concat({0xFF}, kReply1), 31), 1,
       4, 31, 31, Concat(Head(kReply1, 30), {0}), false},
      {"same, CRC high byte 0 passes", Head(Concat({0xFF}, zero_high), 31), 1, 4, 31, 31, zero_high,
       true},
      {"normal at 0 wins over exception at 2",
       Concat(Head(kReply1, 2), Concat({1, 0x84}, Bytes(kReply1.begin() + 4, kReply1.end()))),
       1,
       4,
       31,
       31,
       {},
       false},
      {"exception at 0 wins over normal later", Concat(kException, kReply1), 1, 4, 31, 5,
       kException, true},
      {"start beyond position 4", Concat(Bytes(5, 0xFF), kException), 1, 4, 31, 31, {}, false},
      {"wrong address", NormalReply(2), 1, 4, 31, 31, {}, false},
      {"wrong function", WithCrc({1, 3, 2, 0, 0}), 1, 4, 31, 31, {}, false},
      {"function neither 4 nor 16", kReply1, 1, 3, 31, 31, {}, false},
      {"wrong CRC keeps the copy", bad_crc, 1, 4, 31, 31, bad_crc, false},
      {"nothing received", {}, 1, 4, 31, 31, {}, false},
      {"function 16 normal copies 8", Concat(write_reply, {9, 9}), 1, 16, 8, 8, write_reply, true},
      {"function 16 exception", WithCrc({1, 0x90, 3}), 1, 16, 8, 5, WithCrc({1, 0x90, 3}), true},
      // A whole frame followed by zeros keeps a zero CRC, so the zero-filled check passes too.
      {"function 16 with rx_len 31 copies 8, checks 31", write_reply, 1, 16, 31, 31, write_reply,
       true},
  };
  // The middle case's copy is the scanned bytes themselves: compute it here.
  cases[4].copied = Head(cases[4].received, 31);
  for (std::size_t stray = 1; stray <= 4; ++stray) {
    cases.push_back({"exception after stray bytes", Concat(Head(kStray, stray), kException), 1, 4,
                     31, 5, kException, true});
  }
  return cases;
}

TEST(MatchReply, PositionsLengthsAndVerdicts) {
  for (const auto& c : MatchCases()) {
    SCOPED_TRACE(c.name);
    FrameBuffer rx{};
    const std::int32_t n = MatchReply(Buffer(c.received), rx, c.dev_addr, c.dev_func, c.rx_len);
    EXPECT_EQ(n, c.accepted_length);
    EXPECT_EQ(rx, Buffer(c.copied));
    EXPECT_EQ(ReplyCrcOk(rx, n), c.crc_ok);
  }
}

TEST(MatchReply, AnyLengthStaysInsideTheBuffers) {
  // A match at the last start position with every extreme length; the sanitizers catch overruns.
  FrameBuffer scratch{};
  scratch.fill(0xAB);
  scratch[4] = 1;
  scratch[5] = 4;
  for (const std::int32_t rx_len : {INT_MIN, -1, 0, 1, 5, 257, 266, 267, 270, 1000, INT_MAX}) {
    SCOPED_TRACE(rx_len);
    FrameBuffer rx{};
    const std::int32_t n = MatchReply(scratch, rx, 1, 4, rx_len);
    EXPECT_EQ(n, rx_len);
    EXPECT_FALSE(ReplyCrcOk(rx, n));
  }
}

TEST(ReplyCrcOk, LengthsOutsideTheBufferAreRejected) {
  const FrameBuffer rx = Buffer(WithCrc({}));  // two CRC bytes of the empty frame
  EXPECT_TRUE(ReplyCrcOk(rx, 2));
  for (const std::int32_t n : {INT_MIN, -1, 0, 1, 271, INT_MAX}) EXPECT_FALSE(ReplyCrcOk(rx, n));
}

}  // namespace
