// The record of one overlapped transfer. Whoever calls NewAsyncOp owns the
// record and releases it with FreeAsyncOp once its transfer has been awaited.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/comm_api.h"

namespace comport {

enum TAsyncOpKind : std::uint8_t { akWrite, akRead };

struct TAsyncOp {
  // Zeroed at creation; hEvent is a manual-reset event owned by the record.
  platform::OVERLAPPED Overlapped{};
  // Set when a transfer starts. A never-started record reads as a write
  // without data, so awaiting it returns 0 and notifies nobody.
  TAsyncOpKind Kind = akWrite;
  // Copy of the bytes of the last write started on the record, for listeners.
  std::unique_ptr<std::uint8_t[]> Data;
  std::int32_t Size = 0;
};
using PAsyncOp = TAsyncOp*;

// Sets `op` to a new record whose event starts signalled.
void NewAsyncOp(PAsyncOp& op);
// Starts a transfer on the record: sets Kind and, for any kind, replaces the
// data copy with `count` bytes of `buffer` (none when `count` is 0 or less).
void PrepareAsyncOp(TAsyncOpKind kind, const void* buffer, std::int32_t count, TAsyncOp& op);
// The error code of a failed transfer on the record: 2 for a write, 3 for a read.
std::int32_t AsyncErrorCode(const TAsyncOp& op);
// Closes the record's event, frees it and sets `op` to null (null: nothing).
void FreeAsyncOp(PAsyncOp& op);

}  // namespace comport
