// The operator program: the window toolkit, the main window and the message loop.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "runtime/toolkit.h"
#include "simline/demo_line.h"
#include "window/command_line.h"
#include "window/form1.h"
#include "window/toolkit/application.h"
#include "window/toolkit/program_identity.h"
#include "window/toolkit/qt_comport_toolkit.h"
#include "window/toolkit/qt_dialogs.h"
#include "window/trace_variable.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const window::CommandLine line = window::ParseCommandLine(arguments);
  if (line.help || !line.error.empty()) {
    if (!line.error.empty()) std::fprintf(stderr, "vlk240: %s\n", line.error.c_str());
    std::fputs(window::UsageText("vlk240").c_str(), line.help ? stdout : stderr);
    return line.help ? 0 : 2;
  }

  const std::unique_ptr<trace::FrameTrace> frame_trace =
      window::OpenTraceFromEnvironment(std::cerr);

  // Before Qt starts its threads and before any port name is resolved.
  std::optional<simline::DemoLine> demo;
  if (line.demo) demo.emplace("COM1", simline::DemoLine::Pace::kLineSpeed);

  QApplication qt(argc, argv);
  window::SetProgramIdentity();
  window::QtDialogs dialogs;
  window::Application app(dialogs);
  window::QtComportToolkit toolkit(app);
  runtime::ScopedToolkit scoped_toolkit(toolkit);
  EMUL_Functions::SetMessagePump(&window::Application::PumpMessagesBriefly);

  window::TForm1 form(app, window::RealPauses(), frame_trace.get());
  form.show();
  if (line.demo_read) {
    QTimer::singleShot(0, &form, [&form] {
      form.COM11->trigger();
      form.Button3->click();
    });
  }
  const int result = qt.exec();
  EMUL_Functions::SetMessagePump({});
  return result;
}
