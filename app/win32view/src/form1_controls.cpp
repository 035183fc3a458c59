// The window's definition: the controls with their texts, styles and places (form/form_layout.h),
// the menu, the keyboard order, and the layout at the monitor's DPI.
#include "form/form_texts.h"
#include "form/port_items.h"
#include "form/search_texts.h"
#include "form/trend_texts.h"
#include "runtime/win32_text.h"
#include "win32view/form1.h"

// After the window's header, which includes <windows.h> in its place.
#include <commctrl.h>

namespace win32view {
namespace {

namespace layout = form::layout;
namespace texts = form::texts;
using runtime::WideFromUtf8;

constexpr wchar_t kContainerClass[] = L"TPanel";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr UINT kDesignDpi = 96;

int Scaled(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), kDesignDpi); }

// GetDpiForWindow and AdjustWindowRectExForDpi came with Windows 10; before it, the system's
// DPI serves every monitor.
UINT DpiOf(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi != nullptr) return get_dpi(window);
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

RECT FrameFor(int client_width, int client_height, UINT dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = reinterpret_cast<AdjustFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  RECT frame{0, 0, client_width, client_height};
  if (adjust_for_dpi != nullptr) {
    adjust_for_dpi(&frame, kWindowStyle, TRUE, 0, dpi);
  } else {
    ::AdjustWindowRectEx(&frame, kWindowStyle, TRUE, 0);
  }
  return frame;
}

// The window's texts are Russian: the font's Cyrillic glyphs are asked for whatever the system's
// own code page.
HFONT SansSerif(int pixel_height, UINT dpi) {
  return ::CreateFontW(-Scaled(pixel_height, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif");
}

// The pages and Panel1 hold controls, whose notifications go to their parent: they pass them on
// to the window, which handles them all. Panel1 draws its lowered bevel.
LRESULT CALLBACK ContainerProcedure(HWND container, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
      return ::SendMessageW(::GetAncestor(container, GA_ROOT), message, wparam, lparam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(container, &paint);
      if (::GetDlgCtrlID(container) == kPanel1) {
        RECT edge{};
        ::GetClientRect(container, &edge);
        ::DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT);
      }
      ::EndPaint(container, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(container, message, wparam, lparam);
  }
}

void RegisterClasses(HINSTANCE instance, WNDPROC window_procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

  window_class.lpfnWndProc = window_procedure;
  window_class.lpszClassName = kWindowClass;
  window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hIconSm = window_class.hIcon;
  ::RegisterClassExW(&window_class);

  window_class.lpfnWndProc = &ContainerProcedure;
  window_class.lpszClassName = kContainerClass;
  window_class.hIcon = nullptr;
  window_class.hIconSm = nullptr;
  ::RegisterClassExW(&window_class);
}

}  // namespace

HWND TForm1::AddControl(HWND parent, const wchar_t* window_class, std::string_view text,
                        DWORD style, DWORD ex_style, int id, const layout::Rect& rect,
                        FontKind font, bool sized_by_text) {
  const HWND control = ::CreateWindowExW(
      ex_style, window_class, WideFromUtf8(text).c_str(), kChild | style, 0, 0, 0, 0, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  placements_.push_back({control, rect, font, sized_by_text});
  return control;
}

void TForm1::CreateWindowAndControls() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterClasses(instance, &TForm1::WindowProcedure);
  ::CreateWindowExW(0, kWindowClass, WideFromUtf8(texts::kCaption).c_str(), kWindowStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);

  // Creation order is the keyboard order: the address, the read button, the check box, the
  // memo; the pages' tab bar comes last (put at the bottom below, where it is also drawn under
  // the pages).
  PageControl1 = AddControl(window_, WC_TABCONTROLW, "",
                            TCS_BUTTONS | TCS_FLATBUTTONS | WS_TABSTOP | WS_CLIPSIBLINGS, 0,
                            kPageControl1, layout::kPageControl1, kWindowFont);
  for (const std::string_view caption :
       {texts::kCommandsTab, texts::kInstructionsTab, texts::kTrendTab}) {
    const std::wstring wide = WideFromUtf8(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(wide.c_str());
    const auto index = ::SendMessageW(PageControl1, TCM_GETITEMCOUNT, 0, 0);
    ::SendMessageW(PageControl1, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
  }
  const std::array<int, 3> page_ids = {kTabSheet1, kTabSheet2, kTabSheet3};
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    pages_[i] = ::CreateWindowExW(
        WS_EX_CONTROLPARENT, kContainerClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(page_ids[i])), instance, nullptr);
  }
  const HWND TabSheet1 = pages_[0];
  const HWND TabSheet2 = pages_[1];

  const HWND Panel1 = AddControl(TabSheet1, kContainerClass, "", WS_CLIPCHILDREN,
                                 WS_EX_CONTROLPARENT, kPanel1, layout::kPanel1, kWindowFont);
  AddControl(Panel1, WC_STATICW, texts::kAddressLabel, SS_NOPREFIX, 0, kLabel1,
             {layout::kLabel1.left, layout::kLabel1.top, 0, 0}, kWindowFont, true);
  AddControl(Panel1, WC_STATICW, texts::kAddressRange, SS_NOPREFIX, 0, kLabel2,
             {layout::kLabel2.left, layout::kLabel2.top, 0, 0}, kWindowFont, true);
  Edit1 = AddControl(Panel1, WC_EDITW, "Edit1", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                     kEdit1, layout::kEdit1, kEditFont);
  Button3 = AddControl(Panel1, WC_BUTTONW, texts::kReadButton, BS_PUSHBUTTON | WS_TABSTOP, 0,
                       kButton3, layout::kButton3, kWindowFont);
  Shape1 =
      AddControl(Panel1, WC_STATICW, "", SS_OWNERDRAW, 0, kShape1, layout::kShape1, kWindowFont);
  ::ShowWindow(Shape1, SW_HIDE);
  CheckBox1 = AddControl(Panel1, WC_BUTTONW, texts::kCyclic, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
                         kCheckBox1, layout::kCheckBox1, kWindowFont);
  // Word-wrapped lines, no scroll bars; Enter breaks a line, Tab moves on.
  Memo1 = AddControl(TabSheet1, WC_EDITW, "Memo1",
                     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP, WS_EX_CLIENTEDGE,
                     kMemo1, layout::kMemo1, kMemoFont);

  for (const texts::InstructionLabel& line : texts::kInstructions) {
    AddControl(TabSheet2, WC_STATICW, line.text, SS_NOPREFIX, 0, kInstructionLabel,
               {line.left, line.top, 0, 0}, kWindowFont, true);
  }
  CreateTrendPage(pages_[2]);

  StaticText1 = AddControl(window_, WC_STATICW, "StaticText1", SS_NOPREFIX | SS_SUNKEN, 0,
                           kStaticText1, layout::kStaticText1, kWindowFont);
  // Placed by the layout, not by the status bar's own habit of filling its parent's bottom.
  StatusBar1 = AddControl(window_, STATUSCLASSNAMEW, "", CCS_NOPARENTALIGN | CCS_NORESIZE, 0,
                          kStatusBar1, layout::kStatusBar1, kWindowFont);

  ::SetWindowPos(PageControl1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreateMenuBar();
  Layout(DpiOf(window_));
  ShowPage(0);
  focus_ = Edit1;  // where the focus goes when the window is first activated
}

void TForm1::CreateMenuBar() {
  menu_bar_ = ::CreateMenu();
  N1 = ::CreatePopupMenu();
  for (std::size_t i = 0; i < form::kPortItems.size(); ++i) {
    ::AppendMenuW(N1, MF_STRING, kPortItemCommand + i,
                  WideFromUtf8(form::kPortItems[i].caption).c_str());
  }
  ::AppendMenuW(N1, MF_SEPARATOR, 0, nullptr);  // N5
  ::AppendMenuW(N1, MF_STRING, kSearchCommand, WideFromUtf8(texts::kSearchItem).c_str());
  ::AppendMenuW(N1, MF_STRING, kSaveSettingsCommand, WideFromUtf8(texts::kSaveSettings).c_str());
  ::AppendMenuW(menu_bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(N1),
                WideFromUtf8(texts::kPortMenu).c_str());
  ::SetMenu(window_, menu_bar_);
}

void TForm1::Layout(UINT dpi) {
  dpi_ = dpi;
  for (HFONT font : fonts_) ::DeleteObject(font);
  fonts_ = {SansSerif(layout::kWindowFontHeight, dpi), SansSerif(layout::kMemoFontHeight, dpi),
            SansSerif(layout::kEditFontHeight, dpi)};
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[kWindowFont]), FALSE);

  const RECT frame =
      FrameFor(Scaled(layout::kClientWidth, dpi), Scaled(layout::kClientHeight, dpi), dpi);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const HDC dc = ::GetDC(window_);
  for (const Placement& placed : placements_) {
    const HFONT font = fonts_[placed.font];
    ::SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int width = Scaled(placed.rect.width, dpi);
    int height = Scaled(placed.rect.height, dpi);
    if (placed.sized_by_text) {
      std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(placed.control)), L'\0');
      ::GetWindowTextW(placed.control, text.data(), static_cast<int>(text.size()) + 1);
      const HGDIOBJ old = ::SelectObject(dc, font);
      SIZE extent{};
      ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      ::SelectObject(dc, old);
      width = extent.cx;
      height = extent.cy;
    }
    ::SetWindowPos(placed.control, nullptr, Scaled(placed.rect.left, dpi),
                   Scaled(placed.rect.top, dpi), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::ReleaseDC(window_, dc);

  // The pages fill the tab control's display area.
  RECT display{};
  ::GetClientRect(PageControl1, &display);
  ::SendMessageW(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  ::MapWindowPoints(PageControl1, window_, reinterpret_cast<POINT*>(&display), 2);
  for (HWND page : pages_) {
    ::SetWindowPos(page, nullptr, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  const int parts[] = {Scaled(layout::kStatusPanelWidths[0], dpi), -1};
  ::SendMessageW(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  ::InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace win32view
