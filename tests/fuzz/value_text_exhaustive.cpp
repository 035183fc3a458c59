// One-off check of the value text against the reference over all 2^32 bit
// patterns, split over the machine's cores. Prints the number of patterns
// checked and every disagreement (at most 20). An optimised build takes about
// 80 minutes of CPU in all.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "instrument/skley_float.h"
#include "readings/value_text.h"
#include "reference_value_text.h"

int main() {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint64_t> mismatches{0};
  std::mutex print;
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (std::uint64_t p = t; p <= 0xFFFFFFFFull; p += threads) {
        const auto pattern = static_cast<std::uint32_t>(p);
        const float value = static_cast<float>(instrument::SKLEY_FLOAT(
            static_cast<std::uint8_t>(pattern >> 24), static_cast<std::uint8_t>(pattern >> 16),
            static_cast<std::uint8_t>(pattern >> 8), static_cast<std::uint8_t>(pattern)));
        if (readings::ValueText(value, ",") == reference::ValueText(value, ",")) continue;
        if (mismatches.fetch_add(1) < 20) {
          std::lock_guard lock(print);
          std::printf("mismatch 0x%08X: %s vs %s\n", pattern,
                      readings::ValueText(value, ",").c_str(),
                      reference::ValueText(value, ",").c_str());
        }
      }
    });
  }
  for (auto& w : workers) w.join();
  std::printf("patterns 4294967296 mismatches %llu\n",
              static_cast<unsigned long long>(mismatches.load()));
  return mismatches.load() == 0 ? 0 : 1;
}
