// Polls through the real port, against the simulated instrument on a pseudo-terminal.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "exchange/EMUL_Functions.h"
#include "form_fixture.h"
#include "readings/decimal_separator.h"
#include "sim/simulator.h"
#include "window/trace_variable.h"
#include "worked_example.h"

namespace window {
namespace {

class FormPollTest : public testing::FormTest {
 protected:
  FormPollTest() {
    readings::SetDecimalSeparator(",");
    MapPort(1, instrument_.SlavePath());
  }

  TForm1& CreateOpenForm() {
    TForm1& form = CreateForm();
    form.COM11->trigger();
    EXPECT_TRUE(form.ComPort1.Connected());
    return form;
  }

  void Behave(sim::BehaviourKind kind) {
    sim::Config config = instrument_.GetConfig();
    config.behaviour.kind = kind;
    instrument_.SetConfig(config);
  }

  sim::Simulator instrument_;
};

TEST_F(FormPollTest, ReadingShowsTheDecodedReplyAndItsBytes) {
  TForm1& form = CreateOpenForm();
  form.Button3->click();
  EXPECT_EQ(form.StaticText1->text().toStdString(), "Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(form.StatusBar1->PanelText(1),
            "Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 "
            "0 71 118 ");
  EXPECT_EQ(form.Memo1->Lines(), testing_example::kMemoLines);
  EXPECT_FALSE(form.Time_is_out.Enabled());
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormPollTest, CountsUnansweredPollsAroundAnAnsweredOne) {
  TForm1& form = CreateOpenForm();
  const sim::BehaviourKind sequence[] = {sim::BehaviourKind::kSilent, sim::BehaviourKind::kBadCrc,
                                         sim::BehaviourKind::kSilent, sim::BehaviourKind::kNormal,
                                         sim::BehaviourKind::kSilent};
  const char* panels[] = {"Не отвечает (1)", "Не отвечает (2)", "Не отвечает (3)", "Принято:   1 4",
                          "Не отвечает (4)"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    Behave(sequence[i]);
    form.Button3->click();
    if (form.Time_is_out.Enabled()) {
      EXPECT_TRUE(form.Memo1->Lines().empty());
      form.Time_is_out.Fire();
    } else {
      EXPECT_EQ(form.Memo1->Lines().size(), 8u);
    }
    EXPECT_EQ(form.StatusBar1->PanelText(1).rfind(panels[i], 0), 0u)
        << form.StatusBar1->PanelText(1);
  }
}

TEST_F(FormPollTest, ExceptionReplyShowsItsBytesAndLeavesTheMemoEmpty) {
  TForm1& form = CreateOpenForm();
  Behave(sim::BehaviourKind::kException);
  form.Button3->click();
  EXPECT_TRUE(form.Memo1->Lines().empty());
  EXPECT_EQ(form.StatusBar1->PanelText(1).rfind("Принято:   1 132 2 ", 0), 0u);
  EXPECT_FALSE(form.Time_is_out.Enabled());
  EXPECT_EQ(EMUL_Functions::RX_LEN, 31);
}

// The trace's lines without their times.
std::vector<std::string> TraceEvents(const std::string& text) {
  std::vector<std::string> events;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) events.push_back(line.substr(line.find(' ') + 1));
  return events;
}

// VLK240_TRACE names the file; the port's events and the poll's frames go there, an open
// that failed with its message.
TEST_F(FormPollTest, TraceNamedByTheEnvironmentHoldsThePortsEventsAndThePoll) {
  const std::string path = (directory() / "vlk240.trace").string();
  ::setenv("VLK240_TRACE", path.c_str(), 1);
  std::ostringstream err;
  std::unique_ptr<trace::FrameTrace> frame_trace = OpenTraceFromEnvironment(err);
  ::unsetenv("VLK240_TRACE");
  ASSERT_NE(frame_trace, nullptr) << err.str();
  TForm1& form = CreateForm(frame_trace.get());
  form.COM11->trigger();
  form.Button3->click();
  EXPECT_EQ(form.Memo1->Lines().size(), 8u);
  form.COM21->trigger();  // no device behind COM2
  form_.reset();
  frame_trace.reset();

  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  const std::string com2 = (directory() / "no-such-device").string();
  EXPECT_EQ(TraceEvents(text),
            (std::vector<std::string>{
                "vlk240 open COM1 " + instrument_.SlavePath(),
                "vlk240 tx 8 01 04 00 00 00 0D 31 CF",
                "vlk240 rx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 00 "
                "15 00 0A 42 48 00 00 47 76",
                "vlk240 close COM1",
                "vlk240 open COM2 " + com2,
                "vlk240 error Unable to open com port (win error code: 2)",
            }));
  EXPECT_TRUE(err.str().empty());
}

// Without the variable there is no trace; a file that cannot be opened is said on standard
// error, and the window goes on without one.
TEST(TraceVariable, UnsetEmptyOrUnusableGivesNoTrace) {
  std::ostringstream err;
  ::unsetenv("VLK240_TRACE");
  EXPECT_EQ(OpenTraceFromEnvironment(err), nullptr);
  ::setenv("VLK240_TRACE", "", 1);
  EXPECT_EQ(OpenTraceFromEnvironment(err), nullptr);
  EXPECT_EQ(err.str(), "");
  ::setenv("VLK240_TRACE", "/nonexistent/directory/vlk240.trace", 1);
  EXPECT_EQ(OpenTraceFromEnvironment(err), nullptr);
  EXPECT_EQ(err.str(),
            "vlk240: VLK240_TRACE: cannot open \"/nonexistent/directory/vlk240.trace\": No such "
            "file or directory; no trace\n");
  ::setenv("VLK240_TRACE", "-", 1);
  const std::unique_ptr<trace::FrameTrace> to_err = OpenTraceFromEnvironment(err);
  ::unsetenv("VLK240_TRACE");
  ASSERT_NE(to_err, nullptr);
  to_err->Closing("COM1");
  EXPECT_NE(err.str().find(" vlk240 close COM1\n"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace window
