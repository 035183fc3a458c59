// The identifiers of the window's controls and menu commands: its WM_COMMAND and WM_NOTIFY
// messages carry them, and a program that drives the window from outside finds its controls by
// them (GetDlgCtrlID). IDOK (1) and IDCANCEL (2) are left to the keyboard.
#pragma once

namespace win32view {

enum ControlId : int {
  kPageControl1 = 100,
  kTabSheet1,
  kTabSheet2,
  kPanel1,
  kMemo1,
  kLabel1,
  kLabel2,
  kEdit1,
  kButton3,
  kShape1,
  kCheckBox1,
  kStaticText1,
  kStatusBar1,
  kInstructionLabel,  // the labels of the page "ПАМЯТКА" all carry this one
  kTabSheet3,         // the page "ТРЕНД" and its controls
  kTrendSpan,
  kTrendLevels,
  kTrendVolumes,
  kTrendSave,
  kTrendPlot,
  // The search box's controls.
  kSearchProgress = 150,
  kSearchList,
  kSearchStatus,
  kSearchChoose,
  kSearchCancel,
};

// The menu "СОМ Порт": the port items COM11..COM41 are kPortItemCommand + 0..3, the ports
// present after them kExtraPortCommand + 0.. (kMaxExtraPorts at most).
enum MenuCommand : int {
  kPortItemCommand = 200,
  kSaveSettingsCommand = 210,
  kSearchCommand = 211,  // "Поиск прибора…"
  kExtraPortCommand = 300,
};
inline constexpr int kMaxExtraPorts = 100;

inline constexpr wchar_t kWindowClass[] = L"TForm1";
inline constexpr wchar_t kSearchBoxClass[] = L"TSearchBox";

}  // namespace win32view
