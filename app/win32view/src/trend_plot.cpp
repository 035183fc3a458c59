// The plot's GDI painting and its control.
#include "win32view/trend_plot.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "runtime/win32_text.h"

namespace win32view {
namespace {

constexpr wchar_t kPlotClass[] = L"VlkTrendPlot";

COLORREF ColourOf(form::TrendInk ink) {
  const form::TrendRgb rgb = form::TrendColourOf(ink);
  return RGB(rgb.red, rgb.green, rgb.blue);
}

// One pen per ink, made when first used and deleted with the painting.
class Pens {
 public:
  Pens() = default;
  Pens(const Pens&) = delete;
  Pens& operator=(const Pens&) = delete;
  ~Pens() {
    for (HPEN pen : pens_) {
      if (pen != nullptr) ::DeleteObject(pen);
    }
  }
  HPEN Of(form::TrendInk ink) {
    HPEN& pen = pens_[static_cast<std::size_t>(ink)];
    if (pen == nullptr) pen = ::CreatePen(PS_SOLID, 1, ColourOf(ink));
    return pen;
  }

 private:
  std::array<HPEN, static_cast<std::size_t>(form::TrendInk::kGap) + 1> pens_{};
};

void FillRects(HDC dc, const std::vector<form::TrendRect>& rects) {
  // ExtTextOut's opaque rectangle fills in the background colour without a brush per ink.
  for (const form::TrendRect& rect : rects) {
    const RECT box{rect.left, rect.top, rect.right, rect.bottom};
    ::SetBkColor(dc, ColourOf(rect.ink));
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
  }
}

void StrokeLines(HDC dc, const std::vector<form::TrendPolyline>& lines) {
  Pens pens;
  const HGDIOBJ old_pen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  std::vector<POINT> points;
  for (const form::TrendPolyline& line : lines) {
    if (line.points.empty()) continue;
    points.clear();
    points.reserve(line.points.size());
    for (const form::TrendPoint& point : line.points) points.push_back({point.x, point.y});
    ::SelectObject(dc, pens.Of(line.ink));
    ::Polyline(dc, points.data(), static_cast<int>(points.size()));
    // GDI leaves a line's last pixel out; the scene's runs end on theirs (a lone point too).
    ::SetPixelV(dc, points.back().x, points.back().y, ColourOf(line.ink));
  }
  ::SelectObject(dc, old_pen);
}

void WriteTexts(HDC dc, const std::vector<form::TrendText>& texts, HFONT font) {
  const HGDIOBJ old_font = font != nullptr ? ::SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SetBkMode(dc, TRANSPARENT);
  for (const form::TrendText& text : texts) {
    UINT align = TA_TOP | TA_NOUPDATECP;
    switch (text.anchor) {
      case form::TrendAnchor::kLeft:
        align |= TA_LEFT;
        break;
      case form::TrendAnchor::kRight:
        align |= TA_RIGHT;
        break;
      case form::TrendAnchor::kCentre:
        align |= TA_CENTER;
        break;
    }
    ::SetTextAlign(dc, align);
    ::SetTextColor(dc, ColourOf(text.ink));
    const std::wstring wide = runtime::WideFromUtf8(text.text);
    ::TextOutW(dc, text.x, text.y - metrics.tmHeight / 2, wide.c_str(),
               static_cast<int>(wide.size()));
  }
  if (old_font != nullptr) ::SelectObject(dc, old_font);
}

struct PlotState {
  TrendSceneSource source;
  HFONT font = nullptr;
};

PlotState* StateOf(HWND plot) {
  return reinterpret_cast<PlotState*>(::GetWindowLongPtrW(plot, GWLP_USERDATA));
}

void PaintPlot(HWND plot, HDC target) {
  RECT client{};
  ::GetClientRect(plot, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return;
  const PlotState& state = *StateOf(plot);
  form::TrendScene scene;
  if (state.source) {
    scene = state.source(width, height);
  } else {
    scene.width = width;
    scene.height = height;
    scene.rects.push_back({0, 0, width, height, form::TrendInk::kBackground});
  }
  const HDC memory = ::CreateCompatibleDC(target);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(target, width, height);
  const HGDIOBJ old_bitmap = ::SelectObject(memory, bitmap);
  PaintTrendScene(memory, scene, state.font);
  ::BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old_bitmap);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
}

LRESULT CALLBACK PlotProcedure(HWND plot, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(plot, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PlotState));
      break;
    case WM_NCDESTROY:
      delete StateOf(plot);
      ::SetWindowLongPtrW(plot, GWLP_USERDATA, 0);
      break;
    case WM_SETFONT:
      StateOf(plot)->font = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam) != 0) ::InvalidateRect(plot, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(StateOf(plot)->font);
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(plot, &paint);
      PaintPlot(plot, dc);
      ::EndPaint(plot, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPlot(plot, reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(plot, message, wparam, lparam);
}

}  // namespace

void PaintTrendScene(HDC dc, const form::TrendScene& scene, HFONT font) {
  FillRects(dc, scene.rects);
  StrokeLines(dc, scene.lines);
  WriteTexts(dc, scene.texts, font);
}

HWND CreateTrendPlot(HWND parent, int id) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW plot_class{};
  plot_class.cbSize = sizeof plot_class;
  if (::GetClassInfoExW(instance, kPlotClass, &plot_class) == FALSE) {
    plot_class.cbSize = sizeof plot_class;
    plot_class.hInstance = instance;
    plot_class.lpfnWndProc = &PlotProcedure;
    plot_class.lpszClassName = kPlotClass;
    plot_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassExW(&plot_class);
  }
  return ::CreateWindowExW(0, kPlotClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void SetTrendSceneSource(HWND plot, TrendSceneSource source) {
  StateOf(plot)->source = std::move(source);
  ::InvalidateRect(plot, nullptr, FALSE);
}

}  // namespace win32view
