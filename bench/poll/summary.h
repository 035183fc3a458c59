#pragma once

#include <optional>
#include <string_view>
#include <vector>

struct Figure {
  double median;
  double p90;
};

// Median and 90th percentile (nearest rank); nothing for no samples.
std::optional<Figure> Summarise(std::vector<double> samples);

// Polls per second at the median and at the p90 round trip (ms): the second
// value is the rate that 90% of polls reach or beat.
std::optional<Figure> RateOf(const std::optional<Figure>& round_trip_ms);

// Prints `name median p90 unit`, or `name n/a n/a unit`.
void Print(std::string_view name, const std::optional<Figure>& figure, std::string_view unit);
