// The trend page as the window's logic sees it: what the view does for the page besides
// painting the scene. Implemented by each toolkit's window next to form::Form1View; the logic's
// tests use a recording fake.
//
// Who does what. The view owns the page "ТРЕНД" (form/trend_texts.h): a plot area, the span
// choice (form::texts::kTrendSpans), the switch between levels and volumes, the button
// "Сохранить…". The logic (form/trend_page.h) owns the history, the chosen span and quantity,
// and decides the scene (form/trend_scene.h) for the plot's size.
//
// Calls from the view into the logic, window thread only:
//   - the plot needs painting at `width` x `height` pixels: TrendScene(width, height), then paint
//     it as it is;
//   - a span chosen: TrendSpanChosen(span); levels or volumes chosen: TrendQuantityChosen;
//   - "Сохранить…" pressed: TrendSaveClick.
#pragma once

#include <optional>
#include <string>

namespace form {

// The time the plot's width shows, ending now.
enum class TrendSpan { k10Minutes, k1Hour, k8Hours, k24Hours };
// What the curves show: both channels' levels or both channels' volumes, in %.
enum class TrendQuantity { kLevels, kVolumes };

class TrendView {
 public:
  virtual ~TrendView() = default;

  // The scene has changed: paint the plot again soon (not from within this call).
  virtual void InvalidateTrend() = 0;
  // Shows the controls' state as the logic has it (after a change by code, e.g. at start).
  virtual void ShowTrendChoice(TrendSpan span, TrendQuantity quantity) = 0;
  // Asks modally where to save the history, offering `suggested_name`; the path chosen (UTF-8),
  // none when the operator cancelled. May run the toolkit's message loop.
  virtual std::optional<std::string> AskTrendFileName(const std::string& suggested_name) = 0;
};

}  // namespace form
