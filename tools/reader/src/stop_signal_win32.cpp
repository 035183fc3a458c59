// Ctrl+C and Ctrl+Break in the console request the stop. The system calls the handler on a
// thread of its own; taking the event keeps the process alive until the poll in progress ends.
#include "reader/stop_signal.h"
#include "stop_flag.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace reader {
namespace {

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;  // closing: as before
  RequestStop();
  return TRUE;
}

}  // namespace

StopSignals::StopSignals() {
  ClearStopRequest();
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() { ::SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

}  // namespace reader
