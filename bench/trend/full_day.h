// The history both views' trend benchmarks draw: 24 h at the 2 s cycle (43 200 records), both
// levels and volumes moving, the relays switching, a gap now and then.
#pragma once

#include <chrono>
#include <cmath>

#include "form/trend_page.h"

inline void FillFullDay(form::TrendPage& page, form::TrendPage::Clock::time_point& now,
                        form::TrendPage::Clock::time_point start) {
  for (int i = 0; i < 43'200; ++i) {
    now = start + std::chrono::seconds(2 * i);
    if (i % 5000 == 4999) {
      page.RecordGap(1);
      continue;
    }
    instrument::Readings readings;
    readings.variant = 1;
    readings.level1 = 50.0f + 40.0f * static_cast<float>(std::sin(i / 900.0));
    readings.volume1 = *readings.level1 * 0.8f;
    readings.level2 = 30.0f + 20.0f * static_cast<float>(std::cos(i / 400.0));
    readings.volume2 = *readings.level2 * 0.9f;
    readings.relays = instrument::RelayStates{i % 600 < 300, i % 2000 < 100, false, true};
    page.RecordReadings(1, readings);
  }
}
