// The trend page's logic: the plot's decimation, gaps and spans, the history's bound and restart,
// the saved CSV, and what the window's logic feeds it.
#include "form/trend_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "form/local_clock.h"
#include "form/trend_plot.h"
#include "logic_fixture.h"
#include "readings/csv_rows.h"
#include "readings/decimal_separator.h"
#include "sim/simulator.h"
#include "temp_directory.h"

namespace form {
namespace {

using Clock = TrendPage::Clock;
using std::chrono::milliseconds;

// 600 columns of 1 s for 10 minutes, 100 rows for 0..100 %: value v at row 108 - v.
constexpr int kWidth = 704;
constexpr int kHeight = 173;
int Row(double value) { return 108 - static_cast<int>(value); }

class FakeTrendView : public TrendView {
 public:
  void InvalidateTrend() override { ++invalidations; }
  void ShowTrendChoice(TrendSpan, TrendQuantity) override {}
  std::optional<std::string> AskTrendFileName(const std::string& suggested) override {
    asked.push_back(suggested);
    return answer;
  }
  int invalidations = 0;
  std::vector<std::string> asked;
  std::optional<std::string> answer;
};

class TrendTest : public ::testing::Test {
 protected:
  TrendTest() { readings::SetDecimalSeparator(","); }

  // A reading of both levels at `ms` after the start.
  void Read(std::int64_t ms, std::optional<float> level1, std::optional<float> level2 = {}) {
    now_ = start_ + milliseconds(ms);
    instrument::Readings readings;
    readings.level1 = level1;
    readings.level2 = level2;
    page_.RecordReadings(1, readings);
  }
  void Gap(std::int64_t ms) {
    now_ = start_ + milliseconds(ms);
    page_.RecordGap(1);
  }
  // The scene with the plot ending `ms` after the start.
  TrendScene SceneAt(std::int64_t ms) {
    now_ = start_ + milliseconds(ms);
    return page_.Scene(kWidth, kHeight);
  }
  static std::vector<std::vector<TrendPoint>> Runs(const TrendScene& scene, TrendInk ink) {
    std::vector<std::vector<TrendPoint>> runs;
    for (const TrendPolyline& line : scene.lines) {
      if (line.ink == ink) runs.push_back(line.points);
    }
    return runs;
  }

  Clock::time_point start_ = Clock::time_point(std::chrono::hours(500000));
  Clock::time_point now_ = start_;
  TrendPage page_{[this] { return now_; }};
};

using Points = std::vector<TrendPoint>;

TEST_F(TrendTest, EachColumnDrawsItsMinimumThenItsMaximumAndTheLatestValueBeside) {
  const TrendArea area = TrendAreaOf(kWidth, kHeight);
  ASSERT_EQ(area.right - area.left, 600);
  // The plot ends at 600 s: the record at t s falls in column t.
  for (const auto& [ms, value] : std::vector<std::pair<int, float>>{
           {100'000, 30}, {100'300, 10}, {100'600, 50}, {101'000, 20}, {102'000, 20}}) {
    Read(ms, value);
  }
  const TrendScene scene = SceneAt(600'000);
  EXPECT_EQ(Runs(scene, TrendInk::kLevel1), (std::vector<Points>{{{area.left + 100, Row(10)},
                                                                  {area.left + 100, Row(50)},
                                                                  {area.left + 101, Row(20)},
                                                                  {area.left + 102, Row(20)}}}));
  EXPECT_TRUE(Runs(scene, TrendInk::kLevel2).empty());  // the replies carried no level 2
  const auto latest = std::find_if(scene.texts.begin(), scene.texts.end(),
                                   [](const TrendText& t) { return t.ink == TrendInk::kLevel1; });
  ASSERT_NE(latest, scene.texts.end());
  EXPECT_EQ(latest->text, "20,0 %");
  EXPECT_EQ(latest->y, Row(20));

  // Volumes chosen: the same replies carried none.
  page_.TrendQuantityChosen(TrendQuantity::kVolumes);
  EXPECT_TRUE(Runs(SceneAt(600'000), TrendInk::kLevel1).empty());
  EXPECT_TRUE(Runs(SceneAt(600'000), TrendInk::kVolume1).empty());
}

TEST_F(TrendTest, GapsAbsentChannelsAndLongPausesEndARunAndGapsAreGrounded) {
  const TrendArea area = TrendAreaOf(kWidth, kHeight);
  Read(100'000, 40, 60);
  Read(102'000, 40, 60);
  Gap(104'000);
  Gap(106'000);
  Read(110'000, 40, 60);
  Read(112'000, 40);  // level 2 absent
  Read(114'000, 40, 60);
  Read(200'000, 40, 60);  // after polling stopped for 86 s
  const TrendScene scene = SceneAt(600'000);
  const int y = Row(40);
  EXPECT_EQ(Runs(scene, TrendInk::kLevel1),
            (std::vector<Points>{{{area.left + 100, y}, {area.left + 102, y}},
                                 {{area.left + 110, y}, {area.left + 112, y}, {area.left + 114, y}},
                                 {{area.left + 200, y}, {area.left + 200, y}}}));
  EXPECT_EQ(Runs(scene, TrendInk::kLevel2).size(), 4u);
  std::vector<std::pair<int, int>> grounds;
  for (const TrendRect& rect : scene.rects) {
    if (rect.ink == TrendInk::kGap) grounds.emplace_back(rect.left, rect.right);
  }
  EXPECT_EQ(grounds, (std::vector<std::pair<int, int>>{{area.left + 104, area.left + 110}}));
}

TEST_F(TrendTest, TheSpanChosenDecidesWhatFallsInAndTheScaleWidensForValuesBeyond) {
  FakeTrendView view;
  page_.SetView(&view);
  Read(0, 130);  // 11 minutes before the plot's end: out of 10 min, in 1 h
  Read(360'000, 50);
  const auto scale_texts = [](const TrendScene& scene) {
    std::vector<std::string> texts;
    for (const TrendText& text : scene.texts) {
      if (text.anchor == TrendAnchor::kRight && text.text.find('%') == std::string::npos &&
          text.text.rfind("Р", 0) != 0)
        texts.push_back(text.text);
    }
    return texts;
  };
  TrendScene scene = SceneAt(660'000);
  ASSERT_EQ(Runs(scene, TrendInk::kLevel1).size(), 1u);
  EXPECT_EQ(Runs(scene, TrendInk::kLevel1)[0].size(), 2u);  // one column, its point twice
  EXPECT_EQ(scale_texts(scene), (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));

  const int before = view.invalidations;
  page_.TrendSpanChosen(TrendSpan::k1Hour);
  EXPECT_EQ(page_.span(), TrendSpan::k1Hour);
  EXPECT_GT(view.invalidations, before);
  scene = SceneAt(660'000);
  // 6 minutes apart: a long pause, two runs; 130 % widens the scale to 140 %.
  EXPECT_EQ(Runs(scene, TrendInk::kLevel1).size(), 2u);
  EXPECT_EQ(scale_texts(scene).back(), "140");
}

// A clock time whose line is near the left edge starts at its line, clear of the scale's "0";
// the others are centred on theirs.
TEST_F(TrendTest, ClockTimesAreCentredOnTheirLinesButTheFirstStartsClearOfTheScale) {
  constexpr std::int64_t kTick = 120'000;  // 10 min: a time every 2 min, 1 s a column
  const std::int64_t offset = LocalOffsetMs(1'700'000'000'000);
  // The plot's first clock time 3 columns from its left edge.
  const std::int64_t now = 1'700'000'000'000 / kTick * kTick - offset - 3'000 + 600'000;
  const TrendScene scene = DrawTrend(TrendHistory{}, TrendSpan::k10Minutes, TrendQuantity::kLevels,
                                     now, kWidth, kHeight, ",");
  const TrendArea area = TrendAreaOf(kWidth, kHeight);
  std::vector<std::pair<int, TrendAnchor>> times;
  for (const TrendText& text : scene.texts) {
    if (text.y > area.bottom && text.text.find(':') != std::string::npos) {
      times.emplace_back(text.x - area.left, text.anchor);
    }
  }
  ASSERT_EQ(times.size(), 5u);
  EXPECT_EQ(times[0], std::make_pair(3, TrendAnchor::kLeft));
  for (std::size_t i = 1; i < times.size(); ++i) {
    EXPECT_EQ(times[i], std::make_pair(3 + 120 * static_cast<int>(i), TrendAnchor::kCentre));
  }
}

TEST_F(TrendTest, HistoryKeepsTheNewest43200RecordsAndRestartsForAnotherAddress) {
  static_assert(sizeof(TrendSample) * TrendHistory::kCapacity < 5'000'000);
  for (int i = 0; i < 43'205; ++i) Read(i * 2000, static_cast<float>(i % 100));
  EXPECT_EQ(page_.size(), 43'200u);
  EXPECT_EQ(page_.history()[0].time_ms, std::chrono::duration_cast<milliseconds>(
                                            (start_ + milliseconds(5 * 2000)).time_since_epoch())
                                            .count());
  // A full 24 h draws every column once.
  page_.TrendSpanChosen(TrendSpan::k24Hours);
  EXPECT_FALSE(Runs(SceneAt(43'204 * 2000), TrendInk::kLevel1).empty());

  page_.RecordGap(2);
  EXPECT_EQ(page_.size(), 1u);
  EXPECT_EQ(page_.address(), 2);
}

TEST_F(TrendTest, SavedCsvIsTheReadersRenderingAndAFailedSaveLosesNothing) {
  instrument::Readings readings;
  readings.variant = 1;
  readings.level1 = 45.5f;
  readings.volume1 = 30.25f;
  readings.level2 = 12.0f;
  readings.volume2 = 100.0f;
  readings.sensor2_failed = true;
  readings.selfcal = 50.0f;
  readings.alarm_delay = 10;
  readings.relays = instrument::RelayStates{true, false, true, false};
  page_.RecordReadings(7, readings);
  const Clock::time_point first = now_;
  now_ += milliseconds(2000);
  page_.RecordGap(7);
  now_ += milliseconds(2000);
  page_.RecordPortLoss(7);
  const Clock::time_point third = now_;

  using Outcome = readings::RecordOutcome;
  for (const std::string separator : {",", "."}) {
    const readings::CsvDialect dialect = readings::CsvDialectFor(separator);
    EXPECT_EQ(page_.Csv(separator),
              readings::CsvHeader(dialect) + "\n" +
                  readings::CsvRow(dialect, first, 7, Outcome::kAccepted, &readings, false) + "\n" +
                  readings::CsvRow(dialect, first + milliseconds(2000), 7, Outcome::kUnanswered,
                                   nullptr, false) +
                  "\n" + readings::CsvRow(dialect, third, 7, Outcome::kPortError, nullptr, false) +
                  "\n");
  }

  testing::TempDirectory directory;
  FakeTrendView view;
  std::vector<std::string> boxes;
  page_.SetView(&view);
  page_.SetFailureBox([&](const std::string& text) { boxes.push_back(text); });
  page_.TrendSaveClick();  // cancelled
  EXPECT_EQ(view.asked, (std::vector<std::string>{"trend-7.csv"}));
  view.answer = (directory.path() / "тренд.csv").string();
  page_.TrendSaveClick();
  std::ifstream saved(directory.path() / "тренд.csv", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), page_.Csv(","));
  EXPECT_TRUE(boxes.empty());

  view.answer = (directory.path() / "no-such-directory" / "t.csv").string();
  page_.TrendSaveClick();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Не удалось сохранить тренд в файл " + *view.answer, 0), 0u);
  EXPECT_EQ(page_.size(), 3u);
}

using testing::LogicTest;

// Accepted polls, one-shot here, are recorded for the address polled; a poll the time-out
// reports unanswered is a gap; another address starts a new trend.
TEST_F(LogicTest, WindowLogicFeedsTheTrendWithAcceptedAndUnansweredPolls) {
  sim::Simulator instrument;
  MapPort(1, instrument.SlavePath());
  Form1Logic& logic = Create();
  logic.PortItemClick(0);
  logic.Button3Click();
  logic.Button3Click();
  ASSERT_EQ(logic.Trend().size(), 2u);
  EXPECT_EQ(logic.Trend().history()[1].kind, TrendSampleKind::kReading);
  EXPECT_EQ(logic.Trend().history()[1].level1, 45.5f);
  EXPECT_EQ(logic.Trend().address(), 1);

  view_.address = "2";  // no instrument there
  logic.Button3Click();
  EXPECT_EQ(logic.Trend().size(), 2u);  // told by the time-out only
  view_.Tick(logic, FormTimer::kTimeIsOut);
  ASSERT_EQ(logic.Trend().size(), 1u);
  EXPECT_EQ(logic.Trend().history()[0].kind, TrendSampleKind::kUnanswered);
  EXPECT_EQ(logic.Trend().address(), 2);
}

}  // namespace
}  // namespace form
