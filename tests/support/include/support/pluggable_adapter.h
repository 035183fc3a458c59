// A USB adapter a test can pull and plug back in: a link to the simulated instrument's line,
// as /dev/serial/by-id/ names an adapter. Pulling it takes the link and the line away; plugging
// it in again brings both back, on a new device.
#pragma once

#include <filesystem>
#include <memory>

#include "sim/simulator.h"

namespace vlk_test {

class PluggableAdapter {
 public:
  // Unplugged until Plug(); `link` must not exist yet.
  explicit PluggableAdapter(std::filesystem::path link) : link_(std::move(link)) {}
  ~PluggableAdapter() { Unplug(); }
  PluggableAdapter(const PluggableAdapter&) = delete;
  PluggableAdapter& operator=(const PluggableAdapter&) = delete;

  // The name a port is mapped to.
  const std::filesystem::path& Link() const { return link_; }

  void Plug() {
    instrument_ = std::make_unique<sim::Simulator>();
    std::filesystem::create_symlink(instrument_->SlavePath(), link_);
  }
  void Unplug() {
    instrument_.reset();
    std::error_code absent_is_fine;
    std::filesystem::remove(link_, absent_is_fine);
  }

 private:
  std::filesystem::path link_;
  std::unique_ptr<sim::Simulator> instrument_;
};

}  // namespace vlk_test
