// DCB -> termios plan, as a pure function.
#include "linux/dcb_mapping.h"

#include <gtest/gtest.h>
#include <termios.h>

#include "platform/win_errors.h"

namespace platform::linux_backend {
namespace {

DCB Base() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 9600;
  dcb.Flags = DCB_fBinary;
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

TEST(DcbMapping, TheWindowsLineBecomesRaw8E1AtThatRate) {
  LinePlan plan;
  ASSERT_EQ(PlanLineSettings(Base(), &plan), ERROR_SUCCESS);
  EXPECT_EQ(plan.line.baud, 9600u);
  EXPECT_EQ(plan.line.cflag, static_cast<std::uint32_t>(CS8 | PARENB | CREAD | CLOCAL | HUPCL));
  EXPECT_EQ(plan.line.iflag, static_cast<std::uint32_t>(IGNBRK));
  EXPECT_EQ(plan.line.lflag, 0u);
  EXPECT_EQ(plan.line.oflag, 0u);
  EXPECT_EQ(plan.dtr, LineLevel::kLow);  // fDtrControl 0 = DISABLE
  EXPECT_EQ(plan.rts, LineLevel::kLow);
  EXPECT_FALSE(plan.parity_marks);
}

TEST(DcbMapping, EachFieldMapsToItsTermiosBits) {
  struct Row {
    const char* name;
    void (*edit)(DCB&);
    std::uint32_t cflag_set;
    std::uint32_t iflag_set;
  };
  const Row rows[] = {
      {"odd", [](DCB& d) { d.Parity = ODDPARITY; }, PARENB | PARODD, 0},
      {"mark", [](DCB& d) { d.Parity = MARKPARITY; }, PARENB | PARODD | CMSPAR, 0},
      {"space", [](DCB& d) { d.Parity = SPACEPARITY; }, PARENB | CMSPAR, 0},
      {"7 bits", [](DCB& d) { d.ByteSize = 7; }, CS7, 0},
      {"5 bits 1.5 stop",
       [](DCB& d) {
         d.ByteSize = 5;
         d.StopBits = ONE5STOPBITS;
       },
       CS5 | CSTOPB, 0},
      {"2 stop", [](DCB& d) { d.StopBits = TWOSTOPBITS; }, CSTOPB, 0},
      {"cts flow", [](DCB& d) { d.Flags |= DCB_fOutxCtsFlow; }, CRTSCTS, 0},
      {"rts handshake", [](DCB& d) { d.Flags |= RTS_CONTROL_HANDSHAKE << DCB_fRtsControlShift; },
       CRTSCTS, 0},
      {"xon out", [](DCB& d) { d.Flags |= DCB_fOutX; }, 0, IXON},
      {"xon in", [](DCB& d) { d.Flags |= DCB_fInX; }, 0, IXOFF},
      {"parity check", [](DCB& d) { d.Flags |= DCB_fParity; }, 0, INPCK | PARMRK},
  };
  for (const Row& row : rows) {
    DCB dcb = Base();
    row.edit(dcb);
    LinePlan plan;
    ASSERT_EQ(PlanLineSettings(dcb, &plan), ERROR_SUCCESS) << row.name;
    EXPECT_EQ(plan.line.cflag & row.cflag_set, row.cflag_set) << row.name;
    EXPECT_EQ(plan.line.iflag & row.iflag_set, row.iflag_set) << row.name;
  }
}

TEST(DcbMapping, WhatLinuxCannotHonourIsRefusedWith87) {
  const std::pair<const char*, void (*)(DCB&)> rows[] = {
      {"rate 0", [](DCB& d) { d.BaudRate = 0; }},
      {"4 bits", [](DCB& d) { d.ByteSize = 4; }},
      {"9 bits", [](DCB& d) { d.ByteSize = 9; }},
      {"parity 5", [](DCB& d) { d.Parity = 5; }},
      {"stop 3", [](DCB& d) { d.StopBits = 3; }},
      {"1.5 stop with 8 bits", [](DCB& d) { d.StopBits = ONE5STOPBITS; }},
      {"2 stop with 5 bits",
       [](DCB& d) {
         d.ByteSize = 5;
         d.StopBits = TWOSTOPBITS;
       }},
      {"not binary", [](DCB& d) { d.Flags &= ~DCB_fBinary; }},
      {"dsr flow", [](DCB& d) { d.Flags |= DCB_fOutxDsrFlow; }},
      {"dsr sensitivity", [](DCB& d) { d.Flags |= DCB_fDsrSensitivity; }},
      {"dtr handshake", [](DCB& d) { d.Flags |= DTR_CONTROL_HANDSHAKE << DCB_fDtrControlShift; }},
      {"abort on error", [](DCB& d) { d.Flags |= DCB_fAbortOnError; }},
      {"xon equals xoff",
       [](DCB& d) {
         d.Flags |= DCB_fInX;
         d.XoffChar = d.XonChar;
       }},
  };
  for (const auto& [name, edit] : rows) {
    DCB dcb = Base();
    edit(dcb);
    LinePlan plan;
    EXPECT_EQ(PlanLineSettings(dcb, &plan), ERROR_INVALID_PARAMETER) << name;
  }
}

TEST(DcbMapping, ModemLinesFollowTheControlModes) {
  DCB dcb = Base();
  dcb.Flags |=
      (DTR_CONTROL_ENABLE << DCB_fDtrControlShift) | (RTS_CONTROL_TOGGLE << DCB_fRtsControlShift);
  LinePlan plan;
  ASSERT_EQ(PlanLineSettings(dcb, &plan), ERROR_SUCCESS);
  EXPECT_EQ(plan.dtr, LineLevel::kHigh);
  EXPECT_EQ(plan.rts, LineLevel::kLeave);
  EXPECT_TRUE(plan.rts_toggle);
}

TEST(DcbMapping, ErrorReplacementNeedsParityCheck) {
  DCB dcb = Base();
  dcb.Flags |= DCB_fErrorChar;
  dcb.ErrorChar = '?';
  LinePlan plan;
  ASSERT_EQ(PlanLineSettings(dcb, &plan), ERROR_SUCCESS);
  EXPECT_FALSE(plan.parity_marks);
  dcb.Flags |= DCB_fParity;
  ASSERT_EQ(PlanLineSettings(dcb, &plan), ERROR_SUCCESS);
  EXPECT_TRUE(plan.parity_marks && plan.replace_errors);
  EXPECT_EQ(plan.error_char, '?');
}

TEST(DcbMapping, TheShadowOfATermiosRoundTripsThroughThePlan) {
  for (BYTE parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
    DCB dcb = Base();
    dcb.Flags |=
        (DTR_CONTROL_ENABLE << DCB_fDtrControlShift) | (RTS_CONTROL_ENABLE << DCB_fRtsControlShift);
    dcb.Parity = parity;
    dcb.ByteSize = 7;
    dcb.StopBits = TWOSTOPBITS;
    LinePlan plan;
    ASSERT_EQ(PlanLineSettings(dcb, &plan), ERROR_SUCCESS);
    const DCB back = DcbFromLine(RawLine(plan.line));
    EXPECT_EQ(back.Parity, parity);
    EXPECT_EQ(back.ByteSize, 7);
    EXPECT_EQ(back.StopBits, TWOSTOPBITS);
    EXPECT_EQ(back.BaudRate, 9600u);
    LinePlan again;
    EXPECT_EQ(PlanLineSettings(back, &again), ERROR_SUCCESS);
    EXPECT_EQ(again.line.cflag, plan.line.cflag);
  }
}

}  // namespace
}  // namespace platform::linux_backend
