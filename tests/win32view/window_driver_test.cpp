// vlk240.exe driven from another process as an operator would, through its controls' messages:
// started with --demo, it reads the built-in instrument on COM1 once and then cyclically. Every
// message goes with a time-out, so that a box the window should not show fails the test instead
// of hanging it.
//   window_driver_test VLK240.EXE
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_control.h"
#include "win32view/control_ids.h"
#include "worked_example.h"

namespace {

using namespace std::chrono_literals;
namespace ids = win32view;

std::wstring g_program;

constexpr wchar_t kCaption[] = L"Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU";
constexpr wchar_t kReadCaption[] = L"ЧТЕНИЕ ПОКАЗАНИЙ ВЛК240Т";
// The memo's text after a read of the worked example: its lines, each but the last followed by
// CR LF.
std::wstring WorkedExample() {
  std::string text;
  for (const std::string& line : testing_example::kMemoLines) {
    text += (text.empty() ? "" : "\r\n") + line;
  }
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
  return wide;
}
const std::wstring kWorkedExample = WorkedExample();

// Polls `done` every 50 ms for up to `limit`.
template <typename Condition>
bool WaitFor(Condition done, std::chrono::milliseconds limit) {
  for (auto waited = 0ms; waited < limit; waited += 50ms) {
    if (done()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

// One vlk240.exe for a suite's tests, started by its SetUpTestSuite and closed after them.
class WindowOnDesktop : public ::testing::Test {
 protected:
  // Starts the window with `arguments` in a folder of its own, where it reads and writes
  // user.ini; `user_ini` is that file's text beforehand (none if empty).
  static void Start(const std::wstring& arguments, const std::string& user_ini) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) / ("vlk240-window-" + std::to_string(::GetTickCount64()));
    std::filesystem::create_directories(folder_);
    if (!user_ini.empty()) {
      std::ofstream(folder_ / "user.ini", std::ios::binary) << user_ini;
    }
    std::wstring command = L"\"" + g_program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessW(g_program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, folder_.c_str(), &startup, &process_))
        << ::GetLastError();
    ::WaitForInputIdle(process_.hProcess, 30000);
    ASSERT_TRUE(WaitFor([] { return (window_ = ::FindWindowW(ids::kWindowClass, kCaption)); }, 30s))
        << "no window captioned as the program's";
    // The window is found as soon as it exists; its controls come a moment later, the status
    // bar last.
    ASSERT_TRUE(WaitFor([] { return Control(ids::kStatusBar1) != nullptr; }, 30s))
        << "the window has no controls";
  }

  static void Stop() {
    if (process_.hProcess == nullptr) return;
    if (window_ != nullptr) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the window did not close";
      ::TerminateProcess(process_.hProcess, 1);
    } else {
      DWORD code = 1;
      ::GetExitCodeProcess(process_.hProcess, &code);
      EXPECT_EQ(code, 0u);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
    process_ = {};
    window_ = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void SetUp() override { ASSERT_NE(window_, nullptr); }

  // The control that has the window thread's keyboard focus.
  static HWND Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info);
    return info.hwndFocus;
  }

  static HWND Control(int id) { return ChildControl(window_, id); }

  // Sends and waits for the window to have handled it; fails when it does not within 10 s.
  static LRESULT Send(HWND to, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(to, message, wparam, lparam, SMTO_NORMAL, 10000, &result)) {
      ADD_FAILURE() << "message " << message << " not handled in time (a box open?)";
    }
    return static_cast<LRESULT>(result);
  }

  static std::wstring Text(HWND control) {
    std::wstring text(4096, L'\0');
    const auto length =
        Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
  }

  // A status bar panel's text, read through a buffer in the window's process: SB_GETTEXTW is
  // not carried across processes as WM_GETTEXT is.
  static std::wstring PanelText(int panel) {
    const HWND bar = Control(ids::kStatusBar1);
    const auto length = LOWORD(Send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel)));
    const SIZE_T bytes = (length + 1) * sizeof(wchar_t);
    void* remote = ::VirtualAllocEx(process_.hProcess, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return L"<no buffer>";
    Send(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote));
    std::wstring text(length + 1, L'\0');
    ::ReadProcessMemory(process_.hProcess, remote, text.data(), bytes, nullptr);
    ::VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    text.resize(length);
    return text;
  }

  static bool Checked(HWND box) { return Send(box, BM_GETCHECK) == BST_CHECKED; }

  static std::wstring ListRow(HWND list, int index) {
    std::wstring row(static_cast<std::size_t>(Send(list, LB_GETTEXTLEN, index)) + 1, L'\0');
    row.resize(static_cast<std::size_t>(
        Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(row.data()))));
    return row;
  }

  // The search box once it shows.
  static HWND SearchBox() {
    HWND box = nullptr;
    WaitFor(
        [&box] {
          return (box = ::FindWindowW(ids::kSearchBoxClass, nullptr)) != nullptr &&
                 ::IsWindowVisible(box);
        },
        10s);
    return box != nullptr && ::IsWindowVisible(box) ? box : nullptr;
  }

  static inline std::filesystem::path folder_;
  static inline PROCESS_INFORMATION process_{};
  static inline HWND window_ = nullptr;
};

// The window with --demo: the built-in instrument behind COM1.
class DemoWindow : public WindowOnDesktop {
 protected:
  static void SetUpTestSuite() { Start(L"--demo", ""); }
  static void TearDownTestSuite() { Stop(); }
};

TEST_F(DemoWindow, StartsWithTheAddressOneNoPortAndEmptyTexts) {
  EXPECT_EQ(Text(Control(ids::kEdit1)), L"1");
  EXPECT_EQ(Text(Control(ids::kMemo1)), L"");
  EXPECT_EQ(Text(Control(ids::kStaticText1)), L"");
  EXPECT_EQ(PanelText(0), L"");
  EXPECT_EQ(PanelText(1), L"");
  EXPECT_EQ(Text(Control(ids::kButton3)), kReadCaption);
  EXPECT_FALSE(Checked(Control(ids::kCheckBox1)));
  EXPECT_FALSE(::IsWindowVisible(Control(ids::kShape1)));
}

// The focus starts in the address field; Tab goes read button, check box, memo, tab bar and round
// again; Enter in the address field reads as the button does (on COM 1 here). Keys are posted to
// the focused control, as the keyboard puts them in the window's queue.
TEST_F(DemoWindow, TabGoesRoundInTheOperatorsOrderAndEnterInTheAddressReads) {
  const auto focus = Focus;
  // Posted keys come after any message sent meanwhile: Tab is taken once the focus moves.
  const auto press = [&](WPARAM key) {
    const HWND focused = focus();
    ::PostMessageW(focused, WM_KEYDOWN, key, 1);
    ::PostMessageW(focused, WM_KEYUP, key, 0xC0000001);
    if (key == VK_TAB) WaitFor([&] { return focus() != focused; }, 10s);
  };
  const HWND order[] = {Control(ids::kEdit1), Control(ids::kButton3), Control(ids::kCheckBox1),
                        Control(ids::kMemo1), Control(ids::kPageControl1)};
  // The window takes the focus once its start has been processed, later under a loaded Wine.
  ASSERT_TRUE(WaitFor([&] { return focus() == order[0]; }, 10s)) << ::GetDlgCtrlID(focus());
  for (const HWND next : {order[1], order[2], order[3], order[4], order[0]}) {
    press(VK_TAB);
    EXPECT_EQ(focus(), next) << ::GetDlgCtrlID(focus());
  }
  ASSERT_EQ(focus(), order[0]);
  Send(window_, WM_COMMAND, ids::kPortItemCommand);
  const HWND memo = Control(ids::kMemo1);
  Send(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  press(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return Text(memo) == kWorkedExample; }, 10s));
}

TEST_F(DemoWindow, Com1AndTheReadButtonShowTheWorkedExample) {
  Send(window_, WM_COMMAND, ids::kPortItemCommand);
  EXPECT_EQ(PanelText(0), L"COM1");
  Send(Control(ids::kMemo1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  Send(Control(ids::kButton3), BM_CLICK);
  EXPECT_EQ(Text(Control(ids::kMemo1)), kWorkedExample);
  EXPECT_EQ(Text(Control(ids::kStaticText1)), L"Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(PanelText(1).rfind(L"Принято:   1 4 26 ", 0), 0u) << PanelText(1);
}

TEST_F(DemoWindow, CyclicPollingReadsOnItsTickAndStopsWhenUnchecked) {
  const HWND check_box = Control(ids::kCheckBox1);
  const HWND button = Control(ids::kButton3);
  const HWND memo = Control(ids::kMemo1);
  Send(check_box, BM_CLICK);
  ASSERT_TRUE(Checked(check_box));
  EXPECT_FALSE(::IsWindowEnabled(button));
  EXPECT_FALSE(::IsWindowEnabled(Control(ids::kEdit1)));
  EXPECT_EQ(Text(button), L"ИДЁТ ОПРОС...");
  EXPECT_TRUE(::IsWindowVisible(Control(ids::kShape1)));
  // The menu is disabled: saving is refused, so no user.ini appears.
  Send(window_, WM_COMMAND, ids::kSaveSettingsCommand);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "user.ini"));

  // The memo emptied by hand fills again at the next tick, 2 s after the check.
  Send(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  EXPECT_TRUE(WaitFor([&] { return Text(memo) == kWorkedExample; }, 10s)) << Text(memo).size();

  Send(check_box, BM_CLICK);
  EXPECT_FALSE(Checked(check_box));
  EXPECT_TRUE(::IsWindowEnabled(button));
  EXPECT_EQ(Text(button), kReadCaption);
  EXPECT_EQ(Text(memo), L"");
  EXPECT_FALSE(::IsWindowVisible(Control(ids::kShape1)));
}

// A box opens centred on the window, not at its corner over the menu: a wrong address read
// gives the warning, whose OK puts "1" back in the address field.
TEST_F(DemoWindow, ABoxOpensCentredOnTheWindow) {
  Send(Control(ids::kEdit1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
  ::PostMessageW(Control(ids::kButton3), BM_CLICK, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = ::FindWindowW(nullptr, L"Warning")); }, 10s));
  RECT outer{}, own{};
  ::GetWindowRect(window_, &outer);
  // The box is placed as it is created; give that a moment under a loaded Wine.
  const auto centred = [&] {
    ::GetWindowRect(box, &own);
    return std::abs((own.left + own.right) - (outer.left + outer.right)) <= 2 &&
           std::abs((own.top + own.bottom) - (outer.top + outer.bottom)) <= 2;
  };
  EXPECT_TRUE(WaitFor(centred, 2s))
      << "window " << outer.left << "," << outer.top << " " << outer.right << "," << outer.bottom
      << "; box " << own.left << "," << own.top << " " << own.right << "," << own.bottom;
  ::PostMessageW(box, TDM_CLICK_BUTTON, IDOK, 0);
  EXPECT_TRUE(WaitFor([] { return ::FindWindowW(nullptr, L"Warning") == nullptr; }, 10s));
  EXPECT_EQ(Text(Control(ids::kEdit1)), L"1");
}

// The menu lists the prefix's other COM ports (COM6 and COM7, and COM5, the window's own
// instrument, when the run has a simulator: wine_line.sh) after "COM 4" when it opens, and choosing one opens it as the four do.
// The menu belongs to the window's process, so it is opened from the keyboard, as an operator would
// with F10 and the down arrow.
TEST_F(DemoWindow, PortMenuListsThePortsPresentWhenItOpensAndOpensOne) {
  Send(window_, WM_COMMAND, ids::kExtraPortCommand);  // nothing listed before the menu opened
  EXPECT_EQ(PanelText(0), L"COM1");
  // Each key once the menu has got to where it takes it: posted all at once, the keys can be
  // read before the menu opens, and the menu then stays open.
  const auto in_menu = [] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info);
    return (info.flags & GUI_INMENUMODE) != 0;
  };
  ::PostMessageW(window_, WM_SYSCOMMAND, SC_KEYMENU, 0);
  ASSERT_TRUE(WaitFor(in_menu, 5s));
  ::PostMessageW(window_, WM_KEYDOWN, VK_DOWN, 0);
  std::this_thread::sleep_for(500ms);
  for (int key = 0; key < 3 && in_menu(); ++key) {
    ::PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor([&] { return !in_menu(); }, 500ms);
  }
  ASSERT_TRUE(WaitFor([&] { return !in_menu(); }, 5s));
  // The first port listed after the four, whichever the prefix maps first, is opened; where
  // another test's program still holds it, the window says so in the four's box instead.
  ::PostMessageW(window_, WM_COMMAND, ids::kExtraPortCommand, 0);
  HWND box = nullptr;
  const auto handled = [&box] {
    if ((box = ::FindWindowW(nullptr, L"Error")) != nullptr) return true;
    const std::wstring open = PanelText(0);
    return open.starts_with(L"COM") && std::wcstol(open.c_str() + 3, nullptr, 10) > 4;
  };
  EXPECT_TRUE(WaitFor(handled, 10s)) << PanelText(0);
  if (box != nullptr) {
    ::PostMessageW(box, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return ::FindWindowW(nullptr, L"Error") == nullptr; }, 10s));
  }
  Send(window_, WM_COMMAND, ids::kPortItemCommand);
  EXPECT_EQ(PanelText(0), L"COM1");
}

// "Поиск прибора…" scans the bus on COM1 in a box of its own while the window's controls wait;
// Enter in the list chooses the built-in instrument the scan found, and its address goes to the
// address field.
TEST_F(DemoWindow, SearchFindsTheInstrumentAndEnterPutsItsAddressInTheField) {
  const HWND edit = Control(ids::kEdit1);
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
  ::PostMessageW(window_, WM_COMMAND, ids::kSearchCommand, 0);
  const HWND box = SearchBox();
  ASSERT_NE(box, nullptr);
  const HWND list = ::GetDlgItem(box, ids::kSearchList);
  ASSERT_TRUE(WaitFor([list] { return Send(list, LB_GETCOUNT) >= 1; }, 10s));
  EXPECT_FALSE(::IsWindowEnabled(Control(ids::kButton3)));
  EXPECT_FALSE(::IsWindowEnabled(Control(ids::kCheckBox1)));
  EXPECT_FALSE(::IsWindowEnabled(edit));
  const std::wstring row = ListRow(list, 0);
  EXPECT_TRUE(row.starts_with(L"Адрес 1: ВЛК240Т, вариант 1")) << row.size();
  ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor([box] { return !::IsWindowVisible(box); }, 10s));
  EXPECT_TRUE(WaitFor([] { return ::IsWindowEnabled(Control(ids::kButton3)) != FALSE; }, 10s));
  EXPECT_EQ(Text(edit), L"1");
  EXPECT_TRUE(::IsWindowEnabled(edit));
  EXPECT_TRUE(::IsWindowEnabled(Control(ids::kCheckBox1)));
}

// The pages' tabs in order, "ТРЕНД" after the two of old; its plot is on its page. The tab
// texts are read through a buffer in the window's process, as the panels' are.
TEST_F(DemoWindow, TheTrendPageComesAfterTheInstructions) {
  const HWND tabs = Control(ids::kPageControl1);
  struct Remote {
    TCITEMW item;
    wchar_t text[64];
  };
  void* remote =
      ::VirtualAllocEx(process_.hProcess, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  std::vector<std::wstring> captions;
  const auto count = Send(tabs, TCM_GETITEMCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    Remote local{};
    local.item.mask = TCIF_TEXT;
    local.item.pszText = static_cast<Remote*>(remote)->text;
    local.item.cchTextMax = 64;
    ::WriteProcessMemory(process_.hProcess, remote, &local, sizeof local, nullptr);
    Send(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
    ::ReadProcessMemory(process_.hProcess, remote, &local, sizeof local, nullptr);
    captions.emplace_back(local.text);
  }
  ::VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"КОМАНДЫ", L"ПАМЯТКА", L"ТРЕНД"}));
  const HWND plot = Control(ids::kTrendPlot);
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(::GetDlgCtrlID(::GetParent(plot)), ids::kTabSheet3);
}

// The window on COM11, which leads to a line with neighbours when the run has a simulator
// (wine_line.sh): the instrument at address 4, one at 2 that refuses, another at 9. The port
// comes from user.ini, as the operator saved it.
class NeighbourLineWindow : public WindowOnDesktop {
 protected:
  static void SetUpTestSuite() {
    wchar_t target[MAX_PATH];
    if (::QueryDosDeviceW(L"COM11", target, MAX_PATH) == 0) return;
    Start(L"", "COM11\r\n");
  }
  static void TearDownTestSuite() { Stop(); }
  void SetUp() override {
    if (process_.hProcess == nullptr) GTEST_SKIP() << "no simulated line behind COM11";
    WindowOnDesktop::SetUp();
  }
};

// The scan lists the refusing neighbour and the instrument while it goes on; Tab goes round the
// box's controls back to the list, Down and Enter choose the instrument, and its address goes
// to the address field.
TEST_F(NeighbourLineWindow, SearchListsTheNeighboursAndTheKeyboardChoosesTheInstrument) {
  EXPECT_EQ(PanelText(0), L"COM11");
  ::PostMessageW(window_, WM_COMMAND, ids::kSearchCommand, 0);
  const HWND box = SearchBox();
  ASSERT_NE(box, nullptr);
  const HWND list = ::GetDlgItem(box, ids::kSearchList);
  ASSERT_TRUE(WaitFor([list] { return Send(list, LB_GETCOUNT) >= 2; }, 30s));
  EXPECT_TRUE(ListRow(list, 0).starts_with(L"Адрес 2: прибор отказал (код исключения 2)"));
  EXPECT_TRUE(ListRow(list, 1).starts_with(L"Адрес 4: ВЛК240Т, вариант 1"));

  ASSERT_TRUE(WaitFor([list] { return Focus() == list; }, 10s));
  std::vector<HWND> visited;
  for (int key = 0; key < 4 && (visited.empty() || visited.back() != list); ++key) {
    const HWND from = Focus();
    ::PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageW(from, WM_KEYUP, VK_TAB, 0xC0000001);
    WaitFor([from] { return Focus() != from; }, 10s);
    visited.push_back(Focus());
  }
  ASSERT_FALSE(visited.empty());
  EXPECT_EQ(visited.back(), list) << "Tab did not come round to the list";
  EXPECT_GE(visited.size(), 2u) << "Tab stayed in the list";
  for (const HWND control : visited) EXPECT_EQ(::GetParent(control), box);

  ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
  ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitFor([box] { return !::IsWindowVisible(box); }, 10s));
  EXPECT_TRUE(WaitFor([] { return ::IsWindowEnabled(Control(ids::kButton3)) != FALSE; }, 10s));
  EXPECT_EQ(Text(Control(ids::kEdit1)), L"4");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fputws(L"usage: window_driver_test VLK240.EXE\n", stderr);
    return 2;
  }
  g_program = argv[1];
  return RUN_ALL_TESTS();
}
