#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

std::optional<Figure> Summarise(std::vector<double> samples) {
  if (samples.empty()) return std::nullopt;
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double fraction) {
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
  };
  return Figure{at(0.5), at(0.9)};
}

std::optional<Figure> RateOf(const std::optional<Figure>& round_trip_ms) {
  if (!round_trip_ms) return std::nullopt;
  return Figure{1000.0 / round_trip_ms->median, 1000.0 / round_trip_ms->p90};
}

void Print(std::string_view name, const std::optional<Figure>& figure, std::string_view unit) {
  const std::string n(name), u(unit);
  if (figure) {
    std::printf("%s %.3f %.3f %s\n", n.c_str(), figure->median, figure->p90, u.c_str());
  } else {
    std::printf("%s n/a n/a %s\n", n.c_str(), u.c_str());
  }
  std::fflush(stdout);
}
