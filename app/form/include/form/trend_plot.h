// The trend's scene drawn from its history: the geometry of the plot and the drawing itself,
// apart from the page's state so that the page, its tests and its bench share them.
//
// The plot. A % scale on the left (0..100 %, widened in steps of the grid when the values in the
// span go beyond), a grid, a time axis under the plot with clock times (local) for the span
// ending now, the two channels' curves (levels or volumes), the latest value of each beside the
// plot's right edge, the four relays as bands under the time axis.
//
// Decimation. Each pixel column of the plot covers span / columns of time; a curve's points in a
// column become at most two polyline points, (x, the column's minimum) then (x, its maximum),
// so drawing costs O(columns) whatever the span holds and the extremes stay visible.
//
// Gaps. A gap marker (no reply, the port lost), a channel absent from a reply, or a pause of
// more than kTrendLongestStep between records ends a curve's run: no line crosses a gap. The
// stretch from a gap marker to the next reading is grounded in TrendInk::kGap. A run of a single
// column holds its point twice, so that every view draws a dot for it.
#pragma once

#include <cstdint>
#include <string_view>

#include "form/trend_history.h"
#include "form/trend_scene.h"
#include "form/trend_view.h"

namespace form {

// Longer between two records without a gap marker (polling was stopped) is a gap too.
inline constexpr std::int64_t kTrendLongestStepMs = 10'000;

std::int64_t TrendSpanMs(TrendSpan span);

// The curves' area in the plot's pixels, left/top inclusive, right/bottom exclusive; empty
// (right <= left) when the plot is too small to draw into.
struct TrendArea {
  int left;
  int top;
  int right;
  int bottom;
};
TrendArea TrendAreaOf(int width, int height);
// The band of relay `index` (0..3) under the time axis.
TrendArea TrendRelayBandOf(const TrendArea& area, int index);

// The column (0-based, within the area) a time falls in for a span ending at `now_ms`; -1 when it
// is outside [now - span, now].
int TrendColumnOf(std::int64_t time_ms, std::int64_t now_ms, std::int64_t span_ms, int columns);

// The plot of `history` at `width` x `height` pixels for `span` ending at `now_ms`, values
// written with `separator`.
TrendScene DrawTrend(const TrendHistory& history, TrendSpan span, TrendQuantity quantity,
                     std::int64_t now_ms, int width, int height, std::string_view separator);

}  // namespace form
