// The operator program on Windows: the window, the serial component's toolkit and the message
// loop.
#include <optional>
#include <string>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "runtime/toolkit.h"
#include "runtime/win32_text.h"
#include "simline/demo_line.h"
#include "win32view/application.h"
#include "win32view/command_line.h"
#include "win32view/comport_toolkit.h"
#include "win32view/form1.h"

// After the window's header, which includes <windows.h> in its place.
#include <commctrl.h>
#include <shellapi.h>

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(runtime::Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

// The usage in a box wide enough that no help line wraps, since a wrapped line would lose its
// indent. A window program has no console to print to.
void ShowUsage(const std::string& text, bool error) {
  const std::wstring content = runtime::WideFromUtf8(text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  config.pszWindowTitle = L"vlk240";
  config.pszMainIcon = error ? TD_ERROR_ICON : TD_INFORMATION_ICON;
  config.pszContent = content.c_str();
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.cxWidth = 320;  // dialog units
  ::TaskDialogIndirect(&config, nullptr, nullptr, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int /*show*/) {
  const std::vector<std::string> arguments = Arguments();
  const win32view::CommandLine line = win32view::ParseCommandLine(
      std::vector<std::string_view>(arguments.begin(), arguments.end()));
  if (line.help || !line.error.empty()) {
    std::string text = win32view::UsageText();
    if (!line.error.empty()) text = line.error + "\n\n" + text;
    ShowUsage(text, !line.help);
    return line.help ? 0 : 2;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Before any port is opened, and kept until the window has closed its port.
  std::optional<simline::DemoLine> demo;
  if (line.demo) demo.emplace("COM1", simline::DemoLine::Pace::kLineSpeed);

  win32view::Application app;
  win32view::ComportToolkit toolkit(app);
  runtime::ScopedToolkit scoped_toolkit(toolkit);
  EMUL_Functions::SetMessagePump(&win32view::Application::PumpMessagesBriefly);

  int result = 0;
  {
    win32view::TForm1 form(app);
    form.Show();
    if (line.demo_read) {
      form.Logic().COM11Click();
      form.Logic().Button3Click();
    }
    result = win32view::Application::Run();
  }
  EMUL_Functions::SetMessagePump({});
  return result;
}
