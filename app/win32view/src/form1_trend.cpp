// The page "ТРЕНД": its controls, their commands and the window as the trend page's view
// (form/trend_view.h).
#include <algorithm>
#include <vector>

#include "form/trend_texts.h"
#include "runtime/win32_text.h"
#include "win32view/form1.h"
#include "win32view/trend_plot.h"

// After the window's header, which includes <windows.h> in its place.
#include <commctrl.h>
#include <commdlg.h>

namespace win32view {
namespace {

namespace texts = form::texts;
using runtime::WideFromUtf8;

// The page's controls at 96 DPI: a row of choices, the plot below it filling the page.
constexpr form::layout::Rect kSpanRect = {8, 6, 72, 120};  // with its dropped list
constexpr form::layout::Rect kLevelsRect = {96, 8, 72, 17};
constexpr form::layout::Rect kVolumesRect = {176, 8, 72, 17};
constexpr form::layout::Rect kSaveRect = {600, 4, 89, 25};
constexpr form::layout::Rect kPlotRect = {8, 34, 681, 205};

// The file dialog's filter: the text shown, then the pattern it names between its brackets.
std::wstring SaveFilter() {
  const std::wstring shown = WideFromUtf8(texts::kTrendFileFilter);
  const std::size_t open = shown.find(L'(');
  const std::size_t close = shown.find(L')', open);
  const std::wstring pattern = open != std::wstring::npos && close != std::wstring::npos
                                   ? shown.substr(open + 1, close - open - 1)
                                   : L"*.*";
  std::wstring filter = shown;
  filter += L'\0';
  filter += pattern;
  filter += L'\0';
  return filter;  // the string's own terminator ends the list
}

}  // namespace

void TForm1::CreateTrendPage(HWND page) {
  TrendSpan1 = AddControl(page, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                          kTrendSpan, kSpanRect, kWindowFont);
  for (const std::string_view span : texts::kTrendSpans) {
    ::SendMessageW(TrendSpan1, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(WideFromUtf8(span).c_str()));
  }
  TrendLevels =
      AddControl(page, WC_BUTTONW, texts::kTrendLevels, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                 0, kTrendLevels, kLevelsRect, kWindowFont);
  TrendVolumes = AddControl(page, WC_BUTTONW, texts::kTrendVolumes, BS_AUTORADIOBUTTON, 0,
                            kTrendVolumes, kVolumesRect, kWindowFont);
  TrendSave = AddControl(page, WC_BUTTONW, texts::kTrendSave,
                         BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, kTrendSave, kSaveRect,
                         kWindowFont);
  TrendPlot = CreateTrendPlot(page, win32view::kTrendPlot);
  placements_.push_back({TrendPlot, kPlotRect, kWindowFont, false});
  SetTrendSceneSource(TrendPlot, [this](int width, int height) {
    return logic_.Trend().Scene(width, height);
  });
  logic_.Trend().SetView(this);  // shows the logic's choice in the controls
}

bool TForm1::OnTrendCommand(HWND control, int code) {
  form::TrendPage& trend = logic_.Trend();
  if (control == TrendSpan1) {
    const auto chosen = ::SendMessageW(TrendSpan1, CB_GETCURSEL, 0, 0);
    if (code == CBN_SELCHANGE && chosen >= 0 &&
        chosen < static_cast<LRESULT>(texts::kTrendSpans.size())) {
      trend.TrendSpanChosen(static_cast<form::TrendSpan>(chosen));
    }
    return true;
  }
  if (control != TrendLevels && control != TrendVolumes && control != TrendSave) return false;
  if (code != BN_CLICKED) return true;
  if (control == TrendSave) {
    trend.TrendSaveClick();
  } else {
    trend.TrendQuantityChosen(control == TrendLevels ? form::TrendQuantity::kLevels
                                                     : form::TrendQuantity::kVolumes);
  }
  return true;
}

void TForm1::InvalidateTrend() { ::InvalidateRect(TrendPlot, nullptr, FALSE); }

void TForm1::ShowTrendChoice(form::TrendSpan span, form::TrendQuantity quantity) {
  // Neither message sends a notification: the logic hears of the operator's changes only.
  ::SendMessageW(TrendSpan1, CB_SETCURSEL, static_cast<WPARAM>(span), 0);
  const bool levels = quantity == form::TrendQuantity::kLevels;
  ::SendMessageW(TrendLevels, BM_SETCHECK, levels ? BST_CHECKED : BST_UNCHECKED, 0);
  ::SendMessageW(TrendVolumes, BM_SETCHECK, levels ? BST_UNCHECKED : BST_CHECKED, 0);
}

std::optional<std::string> TForm1::AskTrendFileName(const std::string& suggested_name) {
  const std::wstring filter = SaveFilter();
  const std::wstring title = WideFromUtf8(texts::kTrendSaveTitle);
  std::vector<wchar_t> path(32768, L'\0');
  const std::wstring suggested = WideFromUtf8(suggested_name);
  std::copy_n(suggested.begin(), std::min(suggested.size(), path.size() - 1), path.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"csv";
  // The window keeps its settings in the current directory: the dialog must not move it.
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (::GetSaveFileNameW(&dialog) == FALSE) return std::nullopt;
  return runtime::Utf8FromWide(path.data());
}

}  // namespace win32view
