#include "form/trend_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "form/local_clock.h"
#include "form/trend_texts.h"
#include "readings/value_text.h"

namespace form {
namespace {

constexpr int kScaleWidth = 44;  // left of the area: the scale's texts
constexpr int kValueWidth = 60;  // right of it: the latest values
constexpr int kTop = 8;
constexpr int kTimeRow = 16;  // under it: the clock times
// Half a clock time's width in the window's font, about: one nearer the left edge than this
// would run into the scale's lowest value, so it starts at its line instead.
constexpr int kTimeTextHalfWidth = 16;
constexpr int kBandHeight = 9;
constexpr int kBandPitch = 12;
constexpr int kRelayCount = 4;
constexpr int kTextPitch = 12;  // closer than this, two latest values are moved apart
constexpr double kScaleStep = 20.0;
constexpr int kMostScaleSteps = 10;

// Each span's length and the step of its clock times, in TrendSpan's order.
struct SpanTimes {
  std::int64_t span_ms;
  std::int64_t tick_ms;
};
constexpr std::int64_t kMinute = 60'000;
constexpr std::array<SpanTimes, 4> kSpanTimes = {{
    {10 * kMinute, 2 * kMinute},
    {60 * kMinute, 10 * kMinute},
    {480 * kMinute, 60 * kMinute},
    {1440 * kMinute, 240 * kMinute},
}};

const SpanTimes& TimesOf(TrendSpan span) { return kSpanTimes.at(static_cast<std::size_t>(span)); }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

// The scale's range and grid step: 0..100 % by 20, widened to whole steps around the values,
// with a coarser step of 1, 2 or 5 times a power of ten when 20 would give too many lines.
struct Scale {
  double low = 0.0;
  double high = 100.0;
  double step = kScaleStep;
};

Scale ScaleOf(double least, double most) {
  Scale scale;
  if (least >= 0.0 && most <= 100.0) return scale;
  const auto fit = [&] {
    scale.low = std::min(0.0, std::floor(least / scale.step) * scale.step);
    scale.high = std::max(100.0, std::ceil(most / scale.step) * scale.step);
  };
  fit();
  if ((scale.high - scale.low) / scale.step > kMostScaleSteps) {
    const double rough = (scale.high - scale.low) / kMostScaleSteps;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
      scale.step = factor * power;
      if (scale.step >= rough) break;
    }
    fit();
  }
  return scale;
}

std::string ScaleText(double value, std::string_view separator) {
  if (std::fabs(value) < 1e6 && value == std::floor(value)) {
    return std::to_string(static_cast<long long>(value));
  }
  return readings::ValueText(static_cast<float>(value), separator);
}

std::string ClockText(std::int64_t local_ms) {
  const std::int64_t minutes = FloorDiv(local_ms, 60'000);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>((minutes / 60) % 24 + 24) % 24,
                static_cast<int>((minutes % 60 + 60) % 60));
  return text;
}

// One curve being drawn: its current column's extremes and its current run.
struct Curve {
  TrendInk ink = TrendInk::kLevel1;
  float TrendSample::*value = nullptr;
  int column = -1;
  float least = 0.0f;
  float most = 0.0f;
  std::vector<TrendPoint> run;
  float latest = NAN;
};

class Drawing {
 public:
  Drawing(const TrendArea& area, const Scale& scale, TrendScene& scene)
      : area_(area), scale_(scale), scene_(scene) {}

  int YOf(double value) const {
    const int rows = area_.bottom - 1 - area_.top;
    return area_.bottom - 1 -
           static_cast<int>(std::lround((value - scale_.low) / (scale_.high - scale_.low) * rows));
  }

  void Add(Curve& curve, int column, float value) {
    if (column != curve.column) {
      Flush(curve);
      curve.column = column;
      curve.least = value;
      curve.most = value;
    } else {
      curve.least = std::min(curve.least, value);
      curve.most = std::max(curve.most, value);
    }
    curve.latest = value;
  }

  void Break(Curve& curve) {
    Flush(curve);
    if (curve.run.empty()) return;
    if (curve.run.size() == 1) curve.run.push_back(curve.run.front());
    scene_.lines.push_back({curve.ink, std::move(curve.run)});
    curve.run.clear();
  }

 private:
  void Flush(Curve& curve) {
    if (curve.column < 0) return;
    const int x = area_.left + curve.column;
    const int low_y = YOf(curve.least);
    const int high_y = YOf(curve.most);
    curve.run.push_back({x, low_y});
    if (high_y != low_y) curve.run.push_back({x, high_y});
    curve.column = -1;
  }

  const TrendArea& area_;
  const Scale& scale_;
  TrendScene& scene_;
};

// [first, last) columns a relay was on, merged as they come in time order.
using OnStretches = std::vector<std::pair<int, int>>;

void AddStretch(OnStretches& stretches, int first, int last) {
  if (!stretches.empty() && first <= stretches.back().second) {
    stretches.back().second = std::max(stretches.back().second, last);
  } else {
    stretches.emplace_back(first, last);
  }
}

}  // namespace

std::int64_t TrendSpanMs(TrendSpan span) { return TimesOf(span).span_ms; }

TrendArea TrendAreaOf(int width, int height) {
  return {kScaleWidth, kTop, width - kValueWidth, height - kTimeRow - kRelayCount * kBandPitch};
}

TrendArea TrendRelayBandOf(const TrendArea& area, int index) {
  const int top = area.bottom + kTimeRow + index * kBandPitch;
  return {area.left, top, area.right, top + kBandHeight};
}

int TrendColumnOf(std::int64_t time_ms, std::int64_t now_ms, std::int64_t span_ms, int columns) {
  const std::int64_t since_start = time_ms - (now_ms - span_ms);
  if (since_start < 0 || since_start > span_ms || columns <= 0) return -1;
  return static_cast<int>(std::min<std::int64_t>(since_start * columns / span_ms, columns - 1));
}

TrendScene DrawTrend(const TrendHistory& history, TrendSpan span, TrendQuantity quantity,
                     std::int64_t now_ms, int width, int height, std::string_view separator) {
  TrendScene scene;
  scene.width = width;
  scene.height = height;
  scene.rects.push_back({0, 0, width, height, TrendInk::kBackground});
  const TrendArea area = TrendAreaOf(width, height);
  if (area.right - area.left < 2 || area.bottom - area.top < 2) return scene;
  const int columns = area.right - area.left;
  const std::int64_t span_ms = TrendSpanMs(span);
  const std::int64_t start_ms = now_ms - span_ms;
  const auto column_of = [&](std::int64_t time_ms) {
    return TrendColumnOf(time_ms, now_ms, span_ms, columns);
  };

  const bool levels = quantity == TrendQuantity::kLevels;
  std::array<Curve, 2> curves;
  curves[0].ink = levels ? TrendInk::kLevel1 : TrendInk::kVolume1;
  curves[0].value = levels ? &TrendSample::level1 : &TrendSample::volume1;
  curves[1].ink = levels ? TrendInk::kLevel2 : TrendInk::kVolume2;
  curves[1].value = levels ? &TrendSample::level2 : &TrendSample::volume2;

  // The scale first: it needs the extremes of the span.
  double least = std::numeric_limits<double>::infinity();
  double most = -least;
  const std::size_t count = history.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TrendSample& sample = history[i];
    if (sample.kind != TrendSampleKind::kReading || column_of(sample.time_ms) < 0) continue;
    for (const Curve& curve : curves) {
      const float value = sample.*curve.value;
      if (!std::isfinite(value)) continue;
      least = std::min(least, static_cast<double>(value));
      most = std::max(most, static_cast<double>(value));
    }
  }
  const Scale scale = ScaleOf(least, most);

  Drawing drawing(area, scale, scene);
  // The grid and its texts, then the axes.
  for (int step = 0;; ++step) {
    const double value = scale.low + step * scale.step;
    if (value > scale.high + scale.step / 2) break;
    const int y = drawing.YOf(value);
    scene.lines.push_back({TrendInk::kGrid, {{area.left, y}, {area.right - 1, y}}});
    scene.texts.push_back(
        {area.left - 4, y, TrendAnchor::kRight, TrendInk::kAxis, ScaleText(value, separator)});
  }
  const std::int64_t offset_ms = LocalOffsetMs(now_ms);
  const std::int64_t tick_ms = TimesOf(span).tick_ms;
  for (std::int64_t local = (FloorDiv(start_ms + offset_ms, tick_ms) + 1) * tick_ms;
       local <= now_ms + offset_ms; local += tick_ms) {
    const int column = column_of(local - offset_ms);
    if (column < 0) continue;
    const int x = area.left + column;
    scene.lines.push_back({TrendInk::kGrid, {{x, area.top}, {x, area.bottom - 1}}});
    const TrendAnchor anchor =
        column < kTimeTextHalfWidth ? TrendAnchor::kLeft : TrendAnchor::kCentre;
    scene.texts.push_back(
        {x, area.bottom + kTimeRow / 2, anchor, TrendInk::kAxis, ClockText(local)});
  }
  scene.lines.push_back(
      {TrendInk::kAxis,
       {{area.left - 1, area.top}, {area.left - 1, area.bottom}, {area.right - 1, area.bottom}}});

  // The curves, the gaps' ground and the relays' stretches in one pass in time order.
  std::vector<TrendRect> gaps;
  int gap_from = -1;  // the column a gap began in, while it lasts
  std::array<OnStretches, kRelayCount> relays_on;
  std::int64_t previous_ms = 0;
  // The relay states of the last reading, until the next record.
  int relays_from = -1;
  std::uint8_t relays_bits = 0;
  const auto end_relays = [&](std::int64_t until_ms) {
    if (relays_from < 0) return;
    const std::int64_t last_ms = std::min(until_ms, previous_ms + kTrendLongestStepMs);
    const int until = std::max(relays_from + 1, column_of(std::min(last_ms, now_ms)));
    for (int relay = 0; relay < kRelayCount; ++relay) {
      if ((relays_bits >> relay) & 1u) AddStretch(relays_on[relay], relays_from, until);
    }
    relays_from = -1;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const TrendSample& sample = history[i];
    if (sample.time_ms > now_ms) break;
    end_relays(sample.time_ms);
    const bool long_pause = i > 0 && sample.time_ms - previous_ms > kTrendLongestStepMs;
    previous_ms = sample.time_ms;
    if (sample.kind != TrendSampleKind::kReading || long_pause) {
      for (Curve& curve : curves) drawing.Break(curve);
    }
    if (sample.kind != TrendSampleKind::kReading) {
      if (gap_from < 0) gap_from = sample.time_ms < start_ms ? 0 : column_of(sample.time_ms);
      continue;
    }
    const int column = column_of(sample.time_ms);
    if (gap_from >= 0) {
      if (column > gap_from) {
        gaps.push_back(
            {area.left + gap_from, area.top, area.left + column, area.bottom, TrendInk::kGap});
      }
      gap_from = -1;
    }
    if (column < 0) continue;
    for (Curve& curve : curves) {
      const float value = sample.*curve.value;
      if (std::isfinite(value)) {
        drawing.Add(curve, column, value);
      } else {
        drawing.Break(curve);
      }
    }
    if (sample.relays_known) {
      relays_from = column;
      relays_bits = sample.relays;
    }
  }
  end_relays(now_ms);
  for (Curve& curve : curves) drawing.Break(curve);
  if (gap_from >= 0) {
    gaps.push_back({area.left + gap_from, area.top, area.right, area.bottom, TrendInk::kGap});
  }
  scene.rects.insert(scene.rects.end(), gaps.begin(), gaps.end());

  for (int relay = 0; relay < kRelayCount; ++relay) {
    const TrendArea band = TrendRelayBandOf(area, relay);
    scene.rects.push_back({band.left, band.top, band.right, band.bottom, TrendInk::kRelayOff});
    for (const auto& [first, last] : relays_on[relay]) {
      scene.rects.push_back(
          {band.left + first, band.top, band.left + last, band.bottom, TrendInk::kRelayOn});
    }
    scene.texts.push_back({area.left - 4, (band.top + band.bottom) / 2, TrendAnchor::kRight,
                           TrendInk::kAxis, std::string(texts::kTrendRelays[relay])});
  }

  // The latest values beside the right edge, apart enough to be read.
  std::array<int, 2> ys{};
  for (std::size_t c = 0; c < curves.size(); ++c) {
    if (!std::isnan(curves[c].latest)) ys[c] = drawing.YOf(curves[c].latest);
  }
  if (!std::isnan(curves[0].latest) && !std::isnan(curves[1].latest) &&
      std::abs(ys[0] - ys[1]) < kTextPitch) {
    const int middle = (ys[0] + ys[1]) / 2;
    const int half = kTextPitch / 2;
    ys[0] = ys[0] <= ys[1] ? middle - half : middle + half;
    ys[1] = ys[0] < middle ? middle + half : middle - half;
  }
  for (std::size_t c = 0; c < curves.size(); ++c) {
    if (std::isnan(curves[c].latest)) continue;
    scene.texts.push_back({area.right + 4, ys[c], TrendAnchor::kLeft, curves[c].ink,
                           readings::ValueText(curves[c].latest, separator) + " %"});
  }
  return scene;
}

}  // namespace form
