#include "platform/comm_api.h"

#include "native_backend.h"

namespace platform {
namespace {
CommApi* g_current = nullptr;
}

CommApi& Comm() { return g_current != nullptr ? *g_current : NativeBackend(); }

ScopedCommApi::ScopedCommApi(CommApi& api) : previous_(g_current) { g_current = &api; }

ScopedCommApi::~ScopedCommApi() { g_current = previous_; }

}  // namespace platform
