// "Поиск прибора…" on a recording view, against the simulated instrument and its neighbours on
// a pseudo-terminal: what the box lists, cancel and choice during the scan, the controls, and a
// port that is not open or fails during the scan.
#include <chrono>
#include <string>

#include "form/search_texts.h"
#include "logic_fixture.h"
#include "sim/simulator.h"
#include "support/pluggable_adapter.h"

namespace form {
namespace {

using testing::LogicTest;
using testing::RecordingSearchBox;

class SearchTest : public LogicTest {
 protected:
  // The logic with COM1 open on `port`, scanning addresses 1..`last`.
  Form1Logic& OpenOn(const std::string& port, int last) {
    MapPort(1, port);
    Form1Logic& logic = Create();
    logic.search_settings.last = static_cast<std::uint8_t>(last);
    logic.PortItemClick(0);
    ForgetLog();
    return logic;
  }
  // The window's controls as a scan leaves them each step.
  void WatchControls() {
    view_.search.on_progress = [this] {
      disabled_during_scan_ = disabled_during_scan_ && !view_.menu_enabled &&
                              !view_.button_enabled && !view_.cyclic_enabled &&
                              !view_.address_enabled;
    };
  }
  void ExpectControlsRestored() const {
    EXPECT_TRUE(disabled_during_scan_);
    EXPECT_TRUE(view_.menu_enabled);
    EXPECT_TRUE(view_.button_enabled);
    EXPECT_TRUE(view_.cyclic_enabled);
    EXPECT_TRUE(view_.address_enabled);
  }
  static std::string Text(std::string_view text) { return std::string(text); }

  bool disabled_during_scan_ = true;
  RecordingSearchBox& box_ = view_.search;
};

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

TEST_F(SearchTest, ListsTheInstrumentTheRefusingOneAndTheGarbledAddressThenTheChoiceGoesToEdit1) {
  sim::Config config;
  config.address = 3;
  config.neighbours = {{2, {sim::BehaviourKind::kBadCrc}}, {5, {sim::BehaviourKind::kException}}};
  sim::Simulator instrument(config);
  Form1Logic& logic = OpenOn(instrument.SlavePath(), 6);
  WatchControls();
  logic.SearchClick();

  ASSERT_TRUE(box_.open);
  EXPECT_EQ(box_.total, 6);
  EXPECT_EQ(box_.progress, 6);
  ASSERT_EQ(box_.rows.size(), 3u);
  EXPECT_EQ(box_.rows[0],
            "Адрес 2: ответ искажён — байты без верного кадра (ошибка CRC или длины): у двух "
            "приборов один адрес, перепутаны A и B или другие настройки линии");
  EXPECT_TRUE(StartsWith(box_.rows[1], "Адрес 3: ВЛК240Т, вариант 1, ответ за ")) << box_.rows[1];
  EXPECT_TRUE(StartsWith(box_.rows[2], "Адрес 5: прибор отказал (код исключения 2), ответ за "))
      << box_.rows[2];
  EXPECT_EQ(box_.status, "Поиск завершён, найдено: 2");
  EXPECT_FALSE(box_.cancel_enabled);
  EXPECT_TRUE(box_.choose_enabled);
  ExpectControlsRestored();
  EXPECT_EQ(view_.address, "1");
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_EQ(instrument.RequestsSeen(), 6u);

  logic.SearchChoose(1);
  EXPECT_FALSE(box_.open);
  EXPECT_EQ(view_.address, "3");
  EXPECT_EQ(view_.log.back(), "address '3'");
  // The window polls the chosen address as ever.
  logic.Button3Click();
  EXPECT_EQ(view_.panels[1].rfind("Принято:   3 4 26 ", 0), 0u) << view_.panels[1];
}

// An instrument slower than the search's wait answers while the next address is asked: its row
// comes then, at its own address, with the time it took; the next address shows nothing.
TEST_F(SearchTest, ASlowInstrumentIsListedAtItsOwnAddressWhenItsReplyComes) {
  sim::Config config;
  config.address = 3;
  config.neighbours = {
      {4, {.kind = sim::BehaviourKind::kLate, .late = std::chrono::milliseconds(250)}}};
  sim::Simulator instrument(config);
  Form1Logic& logic = OpenOn(instrument.SlavePath(), 6);
  logic.SearchClick();
  ASSERT_EQ(box_.rows.size(), 2u);
  EXPECT_TRUE(StartsWith(box_.rows[0], "Адрес 3: ВЛК240Т, вариант 1, ответ за ")) << box_.rows[0];
  EXPECT_TRUE(StartsWith(box_.rows[1], "Адрес 4: ВЛК240Т, вариант 1, ответ за 2")) << box_.rows[1];
  EXPECT_TRUE(box_.rows[1].ends_with(" мс, позже срока ожидания")) << box_.rows[1];
  EXPECT_EQ(box_.status, "Поиск завершён, найдено: 2");
  logic.SearchChoose(1);
  EXPECT_EQ(view_.address, "4");
}

TEST_F(SearchTest, NoneFoundSaysSoAndOffersNothingToChoose) {
  sim::Config config;
  config.address = 200;
  sim::Simulator instrument(config);
  Form1Logic& logic = OpenOn(instrument.SlavePath(), 3);
  logic.SearchClick();
  EXPECT_TRUE(box_.rows.empty());
  EXPECT_EQ(box_.status, "Поиск завершён: приборы не найдены");
  EXPECT_FALSE(box_.choose_enabled);
  logic.SearchChoose(0);  // nothing there: the box stays
  EXPECT_TRUE(box_.open);
  EXPECT_EQ(view_.address, "1");
  logic.SearchBoxClosed();
  logic.SearchClick();  // and a new search starts afresh
  EXPECT_EQ(box_.status, "Поиск завершён: приборы не найдены");
}

// Cancel and a choice made while the scan runs both stop it before the next address.
TEST_F(SearchTest, CancelOrAChoiceDuringTheScanStopsItWithinOneAddress) {
  sim::Config config;
  config.address = 2;
  sim::Simulator instrument(config);
  Form1Logic& logic = OpenOn(instrument.SlavePath(), 20);
  WatchControls();
  box_.on_progress = [&] {
    EXPECT_TRUE(box_.cancel_enabled);
    if (box_.progress == 3) logic.SearchCancel();
  };
  logic.SearchClick();
  EXPECT_EQ(box_.progress, 3);
  EXPECT_EQ(instrument.RequestsSeen(), 3u);
  EXPECT_EQ(box_.status, "Поиск прерван, найдено: 1");
  EXPECT_FALSE(box_.cancel_enabled);
  EXPECT_TRUE(box_.open);
  EXPECT_TRUE(view_.menu_enabled);

  box_.on_progress = [&] {
    if (!box_.rows.empty()) logic.SearchChoose(0);
  };
  logic.SearchClick();
  EXPECT_EQ(instrument.RequestsSeen(), 5u);  // addresses 1 and 2 again
  EXPECT_FALSE(box_.open);
  EXPECT_EQ(view_.address, "2");
  ExpectControlsRestored();
}

TEST_F(SearchTest, APortThatIsNotOpenIsSaidInTheBoxAndNothingIsDisabled) {
  Form1Logic& logic = Create();
  ForgetLog();
  logic.SearchClick();
  EXPECT_TRUE(box_.open);
  EXPECT_EQ(box_.status, Text(texts::kSearchNoPort));
  EXPECT_EQ(box_.status, "СОМ порт не открыт: выберите порт в меню «СОМ Порт»");
  EXPECT_FALSE(box_.cancel_enabled);
  EXPECT_EQ(view_.log, (testing::Log{"search box opened"}));
  EXPECT_TRUE(view_.boxes.empty());
}

// The port fails mid-scan: released as a poll releases it, the rows so far kept, and the next
// poll opens it again once the adapter is back.
TEST_F(SearchTest, APortThatFailsDuringTheScanIsReleasedAndSaidInTheBox) {
  vlk_test::PluggableAdapter adapter(directory() / "adapter");
  adapter.Plug();
  Form1Logic& logic = OpenOn(adapter.Link().string(), 10);
  WatchControls();
  box_.on_progress = [&] {
    if (box_.progress == 2) adapter.Unplug();
  };
  logic.SearchClick();
  EXPECT_EQ(box_.rows.size(), 1u);
  EXPECT_TRUE(StartsWith(box_.status, Text(texts::kSearchPortLost))) << box_.status;
  EXPECT_FALSE(logic.ComPort1.Connected());
  EXPECT_EQ(view_.checked_item, kNoPortItem);
  EXPECT_EQ(view_.panels[0], "");
  EXPECT_TRUE(view_.boxes.empty());
  ExpectControlsRestored();

  adapter.Plug();
  logic.SearchChoose(0);
  logic.Button3Click();
  EXPECT_TRUE(logic.ComPort1.Connected());
  EXPECT_EQ(view_.checked_item, 0);
  EXPECT_EQ(view_.panels[1].rfind("Принято:   1 4 26 ", 0), 0u) << view_.panels[1];
}

}  // namespace
}  // namespace form
