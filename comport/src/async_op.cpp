#include "comport/async_op.h"

#include <cstring>

#include "comport/com_errors.h"

namespace comport {

void NewAsyncOp(PAsyncOp& op) {
  op = new TAsyncOp;
  op->Overlapped.hEvent = platform::Comm().CreateEventA(nullptr, 1, 1, nullptr);
}

void FreeAsyncOp(PAsyncOp& op) {
  if (op == nullptr) return;
  platform::Comm().CloseHandle(op->Overlapped.hEvent);
  delete op;
  op = nullptr;
}

}  // namespace comport

namespace comport {

void PrepareAsyncOp(TAsyncOpKind kind, const void* buffer, std::int32_t count, TAsyncOp& op) {
  op.Kind = kind;
  op.Data.reset();
  if (count > 0) {
    op.Data = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(count));
    std::memcpy(op.Data.get(), buffer, static_cast<std::size_t>(count));
  }
  op.Size = count;
}

std::int32_t AsyncErrorCode(const TAsyncOp& op) {
  return op.Kind == akWrite ? kErrWriteFailed : kErrReadFailed;
}

}  // namespace comport
