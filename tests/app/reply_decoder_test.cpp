#include "readings/reply_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "worked_example.h"

namespace readings {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Lines = std::vector<std::string>;

const std::vector<std::uint8_t>& kWorkedExample = testing_example::kReply;

constexpr std::size_t kFault = 4;
constexpr std::size_t kStatus = 22;
constexpr std::size_t kDelay = 24;

std::array<std::uint8_t, 270> Reply(
    std::initializer_list<std::pair<std::size_t, std::uint8_t>> changes = {}) {
  std::array<std::uint8_t, 270> rx{};
  std::copy(kWorkedExample.begin(), kWorkedExample.end(), rx.begin());
  for (const auto& [offset, value] : changes) rx[offset] = value;
  return rx;
}

Lines Decode(const std::array<std::uint8_t, 270>& rx, DecodedFields& fields) {
  const auto lines = DecodeReply(rx, fields, ",");
  EXPECT_TRUE(lines.has_value());
  return lines.value_or(Lines{});
}

Lines Decode(const std::array<std::uint8_t, 270>& rx) {
  DecodedFields fields;
  return Decode(rx, fields);
}

const std::string kL1 = "Уровень канала 1 - 45,5 %";
const std::string kO1 = "Объём канала 1 - 30,3 %";
const std::string kL2 = "Уровень канала 2 - 12,0 %";
const std::string kO2 = "Объём канала 2 - 100,0 %";
const std::string kE1 = "Датчик канала 1 - ошибка";
const std::string kE2 = "Датчик канала 2 - ошибка";
const std::string kS = "Уровень самокалибровки - 50,0 %";
const std::string kP = "Пауза на срабатывание сигнализатора - 10 c";
const std::string kA = "Датчик-сигнализатор канала 2 - ВКЛ.";
const std::string kR = "Состояния реле: Вкл. Выкл. Вкл. Выкл. ";

TEST(DecodeReply, WorkedExampleVariant1) {
  DecodedFields fields;
  EXPECT_THAT(
      Decode(Reply(), fields),
      ElementsAre("ВЛК240ТхИ Исполнение 1", "(Уровнемер-Уровнемер)", "", kL1, kO1, kL2, kO2, kR));
  EXPECT_EQ(fields.LEVEL_1, 45.5f);
  EXPECT_EQ(fields.VOLUME_1, 30.25f);
  EXPECT_EQ(fields.LEVEL_2, 12.0f);
  EXPECT_EQ(fields.VOLUME_2, 100.0f);
  EXPECT_EQ(fields.DEVICE_VARIANT, 1);
  EXPECT_EQ(fields.SENSOR_FAULT, 0);
  EXPECT_EQ(fields.ALARM_DELAY, 10);
  EXPECT_EQ(fields.SELFCAL_LEVEL, 50.0f);
  EXPECT_EQ(fields.RELAY_TEXT, kR);
}

TEST(DecodeReply, WorkedExampleVariant3) {
  EXPECT_THAT(Decode(Reply({{kStatus, 0x35}})),
              ElementsAre("ВЛК240ТхИ Исполнение 3", "(Самокалибрующийся уровнемер)", "", kL1, kO1,
                          kS, kP, kA, kR));
}

TEST(DecodeReply, LookAlikeLettersAreTheIntendedOnes) {
  const Lines lines = Decode(Reply({{kStatus, 0x35}}));
  // "х" in the model name is Cyrillic (U+0445); the pause unit "c" is Latin.
  EXPECT_NE(lines[0].find("ВЛК240Т\xD1\x85И"), std::string::npos);
  EXPECT_EQ(lines[6].substr(lines[6].size() - 2), " c");
  EXPECT_NE(lines[4].find("Объ\xD1\x91м"), std::string::npos);  // ё, not е
}

struct VariantFaultCase {
  std::uint8_t status;
  std::uint8_t fault;
  Lines lines;
};

class VariantFaultTest : public testing::TestWithParam<VariantFaultCase> {};

TEST_P(VariantFaultTest, ShowsTheVariantsLinesForTheFaultCode) {
  EXPECT_THAT(Decode(Reply({{kStatus, GetParam().status}, {kFault, GetParam().fault}})),
              ElementsAreArray(GetParam().lines));
}

const Lines kHead1 = {"ВЛК240ТхИ Исполнение 1", "(Уровнемер-Уровнемер)", ""};
const Lines kHead2 = {"ВЛК240ТхИ Исполнение 2", "(Уровнемер-Сигнализатор)", ""};
const Lines kHead3 = {"ВЛК240ТхИ Исполнение 3", "(Самокалибрующийся уровнемер)", ""};

Lines Join(const Lines& head, const Lines& tail) {
  Lines all = head;
  all.insert(all.end(), tail.begin(), tail.end());
  return all;
}

INSTANTIATE_TEST_SUITE_P(
    AllCombinations, VariantFaultTest,
    testing::Values(VariantFaultCase{0x15, 0, Join(kHead1, {kL1, kO1, kL2, kO2, kR})},
                    VariantFaultCase{0x15, 1, Join(kHead1, {kE1, kL2, kO2, kR})},
                    VariantFaultCase{0x15, 2, Join(kHead1, {kL1, kO1, kE2, kR})},
                    VariantFaultCase{0x15, 3, Join(kHead1, {kE1, kE2, kR})},
                    VariantFaultCase{0x15, 4, Join(kHead1, {kR})},
                    VariantFaultCase{0x15, 255, Join(kHead1, {kR})},
                    VariantFaultCase{0x25, 0, Join(kHead2, {kL1, kO1, kP, kA, kR})},
                    VariantFaultCase{0x25, 1, Join(kHead2, {kE1, kP, kA, kR})},
                    VariantFaultCase{0x25, 2, Join(kHead2, {kP, kA, kR})},
                    VariantFaultCase{0x25, 3, Join(kHead2, {kP, kA, kR})},
                    VariantFaultCase{0x25, 200, Join(kHead2, {kP, kA, kR})},
                    VariantFaultCase{0x35, 0, Join(kHead3, {kL1, kO1, kS, kP, kA, kR})},
                    VariantFaultCase{0x35, 1, Join(kHead3, {kE1, kS, kP, kA, kR})},
                    VariantFaultCase{0x35, 2, Join(kHead3, {kS, kP, kA, kR})},
                    VariantFaultCase{0x35, 3, Join(kHead3, {kS, kP, kA, kR})},
                    VariantFaultCase{0x05, 0, {}}, VariantFaultCase{0x05, 3, {}}));

TEST(DecodeReply, AlarmDelayExtremes) {
  EXPECT_EQ(Decode(Reply({{kStatus, 0x25}, {kDelay, 0}}))[5],
            "Пауза на срабатывание сигнализатора - 0 c");
  EXPECT_EQ(Decode(Reply({{kStatus, 0x25}, {kDelay, 255}}))[5],
            "Пауза на срабатывание сигнализатора - 255 c");
}

TEST(DecodeReply, RelayAndAlarmSensorFollowTheLowBits) {
  EXPECT_EQ(Decode(Reply({{kStatus, 0x10}})).back(), "Состояния реле: Выкл. Выкл. Выкл. Выкл. ");
  EXPECT_EQ(Decode(Reply({{kStatus, 0x1F}})).back(), "Состояния реле: Вкл. Вкл. Вкл. Вкл. ");
  EXPECT_EQ(Decode(Reply({{kStatus, 0x2A}}))[6], "Датчик-сигнализатор канала 2 - ВЫКЛ.");
}

TEST(DecodeReply, UnreadBitsAndBytesChangeNothing) {
  const Lines plain = Decode(Reply({{kStatus, 0x35}}));
  EXPECT_EQ(Decode(Reply({{kStatus, 0xF5}, {3, 0xFF}, {21, 0xFF}, {23, 0xFF}, {0, 9}, {2, 0}})),
            plain);
  EXPECT_EQ(Decode(Reply({{kStatus, 0x75}})), plain);
}

TEST(DecodeReply, ExceptionReplyLeavesMemoAndFieldsAlone) {
  DecodedFields fields;
  Decode(Reply(), fields);
  std::array<std::uint8_t, 270> rx{};
  for (const int function : {0x84, 0x03, 0x00}) {
    rx[0] = 1;
    rx[1] = static_cast<std::uint8_t>(function);
    EXPECT_EQ(DecodeReply(rx, fields, ","), std::nullopt);
  }
  EXPECT_EQ(fields.LEVEL_1, 45.5f);
  EXPECT_EQ(fields.DEVICE_VARIANT, 1);
}

TEST(DecodeReply, FieldsNotDecodedKeepEarlierValues) {
  DecodedFields fields;
  Decode(Reply(), fields);
  // Variant 1 with channel 2 faulty and different channel bytes: channel 2 keeps 12.0 / 100.0.
  auto rx = Reply({{kFault, 2}, {13, 0x3F}, {14, 0x80}, {17, 0x3F}, {18, 0x80}});
  Decode(rx, fields);
  EXPECT_EQ(fields.LEVEL_2, 12.0f);
  EXPECT_EQ(fields.VOLUME_2, 100.0f);
  // Variant 0 still decodes the four common fields but nothing of the channels.
  rx = Reply({{kStatus, 0x00}, {kDelay, 7}, {kFault, 1}, {5, 0}, {6, 0}});
  EXPECT_THAT(Decode(rx, fields), ElementsAre());
  EXPECT_EQ(fields.DEVICE_VARIANT, 0);
  EXPECT_EQ(fields.ALARM_DELAY, 7);
  EXPECT_EQ(fields.SENSOR_FAULT, 1);
  EXPECT_EQ(fields.LEVEL_1, 45.5f);
  EXPECT_EQ(fields.RELAY_TEXT, kR);  // rebuilt only for variants 1 to 3
}

TEST(DecodeReply, SpecialValuesInTheMemo) {
  struct Case {
    std::array<std::uint8_t, 4> bytes;
    const char* line;
  };
  for (const Case& c : {Case{{0x7F, 0x80, 0x00, 0x00}, "Уровень канала 1 - INF %"},
                        Case{{0xFF, 0x80, 0x00, 0x00}, "Уровень канала 1 - -INF %"},
                        Case{{0x7F, 0xC0, 0x00, 0x00}, "Уровень канала 1 - NAN %"},
                        Case{{0x7F, 0x80, 0x00, 0x01}, "Уровень канала 1 - 0,0 %"},
                        Case{{0x44, 0x7A, 0x00, 0x00}, "Уровень канала 1 - 1E3 %"}}) {
    auto rx = Reply();
    std::copy(c.bytes.begin(), c.bytes.end(), rx.begin() + 5);
    EXPECT_EQ(Decode(rx)[3], c.line);
  }
}

TEST(DecodeReply, SeparatorIsUsedInEveryValue) {
  DecodedFields fields;
  const auto lines = DecodeReply(Reply(), fields, ".");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ((*lines)[3], "Уровень канала 1 - 45.5 %");
  EXPECT_EQ((*lines)[6], "Объём канала 2 - 100.0 %");
}

TEST(ReceivedStatusText, PrefixesTheReplyBytes) {
  EXPECT_EQ(ReceivedStatusText("1 132 2 194 193 "), "Принято:   1 132 2 194 193 ");
  EXPECT_EQ(ReceivedStatusText(""), "Принято:   ");
}

}  // namespace
}  // namespace readings
