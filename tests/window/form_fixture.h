// A window under test: its own current directory, ports COM1..COM4 mapped to devices that do
// not exist (unless a test maps one), recorded dialogs and pauses that do not wait.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "recording_dialogs.h"
#include "temp_directory.h"
#include "window/form1.h"

namespace window::testing {

using form::testing::ReadBytes;
using form::testing::TempDirectory;
using form::testing::WriteBytes;

class FormTest : public ::testing::Test {
 protected:
  FormTest() : old_directory_(std::filesystem::current_path()), app_(dialogs_) {
    std::filesystem::current_path(directory_.path());
    for (int n = 1; n <= 4; ++n) MapPort(n, (directory_.path() / "no-such-device").string());
  }
  ~FormTest() override {
    form_.reset();
    for (int n = 1; n <= 4; ++n) ::unsetenv(PortVariable(n).c_str());
    std::filesystem::current_path(old_directory_);
  }

  static std::string PortVariable(int n) { return "VLK240_COM" + std::to_string(n); }
  static void MapPort(int n, const std::string& device) {
    ::setenv(PortVariable(n).c_str(), device.c_str(), 1);
  }

  TForm1& CreateForm(trace::FrameTrace* frame_trace = nullptr) {
    FormPauses pauses{[this](int) { ++sleeps_; }, [](int) { QCoreApplication::processEvents(); }};
    form_ = std::make_unique<TForm1>(app_, pauses, frame_trace, [this] { return present_ports_; });
    return *form_;
  }

  // Processes events until `done` or `limit_ms`; returns the elapsed milliseconds.
  template <typename Done>
  static qint64 RunEventsUntil(Done done, int limit_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limit_ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return clock.elapsed();
  }

  const std::filesystem::path& directory() const { return directory_.path(); }

  TempDirectory directory_;
  std::filesystem::path old_directory_;
  RecordingDialogs dialogs_;
  Application app_;
  std::unique_ptr<TForm1> form_;
  int sleeps_ = 0;
  // What the port menu finds present when it opens.
  std::vector<platform::PresentPort> present_ports_;
};

}  // namespace window::testing
