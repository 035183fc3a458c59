#include "runtime/toolkit.h"

#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace runtime {
namespace {

// Without a window program the report goes to the standard error stream.
class PlainToolkit final : public Toolkit {
 public:
  void HandleException(const std::exception& error) override {
    const std::string text = ExceptionReportText(error.what());
    std::fprintf(stderr, "%s\n", text.c_str());
  }
};

PlainToolkit g_plain;
std::atomic<Toolkit*> g_current{nullptr};

}  // namespace

Toolkit& CurrentToolkit() {
  Toolkit* current = g_current.load(std::memory_order_acquire);
  return current != nullptr ? *current : g_plain;
}

void SetToolkit(Toolkit* toolkit) { g_current.store(toolkit, std::memory_order_release); }

void ReportCurrentException() {
  try {
    throw;
  } catch (const std::exception& error) {
    CurrentToolkit().HandleException(error);
  } catch (...) {
    CurrentToolkit().HandleException(std::runtime_error("Unknown exception"));
  }
}

std::string ExceptionReportText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

ScopedToolkit::ScopedToolkit(Toolkit& toolkit)
    : previous_(g_current.exchange(&toolkit, std::memory_order_acq_rel)) {}

ScopedToolkit::~ScopedToolkit() { g_current.store(previous_, std::memory_order_release); }

}  // namespace runtime
