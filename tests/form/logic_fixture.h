// The window's logic on a recording view: its own current directory, ports COM1..COM4 mapped
// to devices that do not exist (unless a test maps one), and pauses that are only written down.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "environment.h"
#include "form/form1_logic.h"
#include "recording_view.h"
#include "temp_directory.h"

namespace form::testing {

// The second line of a box for a port whose device is not there.
inline const std::string kNotFound = "\rПорт не найден: проверьте, что адаптер подключён.";

class LogicTest : public ::testing::Test {
 protected:
  LogicTest() : old_directory_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory_.path());
    for (int n = 1; n <= 4; ++n) MapPort(n, (directory_.path() / "no-such-device").string());
  }
  ~LogicTest() override {
    logic_.reset();
    for (int n = 1; n <= 4; ++n) RemoveEnvironmentVariable(PortVariable(n));
    std::filesystem::current_path(old_directory_);
  }

  static std::string PortVariable(int n) { return "VLK240_COM" + std::to_string(n); }
  static void MapPort(int n, const std::string& device) {
    SetEnvironmentVariable(PortVariable(n), device);
  }

  // The logic as the view creates it: constructed, then FormCreate.
  Form1Logic& Create() {
    FormPauses pauses{[this](int ms) { sleeps_.push_back(ms); },
                      [this](int ms) { delays_.push_back(ms); }};
    logic_.reset();  // the old one lets go of the worker first
    logic_ =
        std::make_unique<Form1Logic>(view_, pauses, nullptr, [this] { return present_ports_; });
    logic_->FormCreate();
    return *logic_;
  }

  // The log from here on only.
  void ForgetLog() {
    view_.log.clear();
    view_.boxes.clear();
  }

  const std::filesystem::path& directory() const { return directory_.path(); }

  TempDirectory directory_;
  std::filesystem::path old_directory_;
  RecordingView view_;
  std::unique_ptr<Form1Logic> logic_;
  std::vector<int> sleeps_;
  std::vector<int> delays_;
  // What the port menu finds present; a test plugs ports in and out between its calls.
  std::vector<platform::PresentPort> present_ports_;
};

using Log = std::vector<std::string>;

}  // namespace form::testing
