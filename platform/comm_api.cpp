#include "platform/comm_api.h"

#include "native_backend.h"
#include "platform/win_errors.h"

namespace platform {
namespace {
CommApi* g_current = nullptr;

// The wait of WriteFileAndWait and ReadFileAndWait once the start returned `started`.
BOOL WaitIfStarted(CommApi& api, BOOL started, const OVERLAPPED* ov, DWORD* wait) {
  if (!started && api.GetLastError() != ERROR_IO_PENDING) return 0;
  *wait = api.WaitForSingleObject(ov->hEvent, INFINITE);
  return 1;
}

}  // namespace

BOOL CommApi::WriteFileAndWait(HANDLE dev, const void* buffer, DWORD count, OVERLAPPED* ov,
                               DWORD* wait) {
  DWORD written = 0;
  return WaitIfStarted(*this, WriteFile(dev, buffer, count, &written, ov), ov, wait);
}

BOOL CommApi::ReadFileAndWait(HANDLE dev, void* buffer, DWORD count, OVERLAPPED* ov, DWORD* wait) {
  DWORD read = 0;
  return WaitIfStarted(*this, ReadFile(dev, buffer, count, &read, ov), ov, wait);
}

CommApi& Comm() { return g_current != nullptr ? *g_current : NativeBackend(); }

ScopedCommApi::ScopedCommApi(CommApi& api) : previous_(g_current) { g_current = &api; }

ScopedCommApi::~ScopedCommApi() { g_current = previous_; }

}  // namespace platform
