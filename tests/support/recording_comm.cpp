#include "support/recording_comm.h"

#include <algorithm>
#include <chrono>

#include "platform/win_errors.h"

namespace vlk_test {

using platform::DWORD;
using platform::HANDLE;

namespace {
std::uint64_t Ptr(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
}  // namespace

// --- Scripting and inspection ---

void RecordingComm::FailNext(std::string_view name, DWORD error) {
  std::lock_guard lock(mutex_);
  failures_[std::string(name)].push_back(error);
}

void RecordingComm::QueueInput(const std::vector<std::uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  input_.insert(input_.end(), bytes.begin(), bytes.end());
}

void RecordingComm::SetReadsPending(bool pending) {
  std::lock_guard lock(mutex_);
  reads_pending_ = pending;
}

void RecordingComm::CompletePendingRead() {
  std::lock_guard lock(mutex_);
  if (pending_reads_.empty()) return;
  const PendingRead read = pending_reads_.front();
  pending_reads_.pop_front();
  Complete(read.ov, 0, TakeInput(read.buffer, read.count));
}

void RecordingComm::SetModemStatus(DWORD status) {
  std::lock_guard lock(mutex_);
  modem_status_ = status;
}

void RecordingComm::SetLineErrors(DWORD errors) {
  std::lock_guard lock(mutex_);
  line_errors_ = errors;
}

void RecordingComm::SetInputQueueCount(DWORD count) {
  std::lock_guard lock(mutex_);
  in_queue_scripted_ = true;
  in_queue_ = count;
}

void RecordingComm::CompleteCommEvent(DWORD mask) {
  std::lock_guard lock(mutex_);
  if (!pending_wait_) {
    comm_events_.push_back(mask);
    return;
  }
  *pending_wait_->mask = mask;
  Complete(pending_wait_->ov, 0, 0);
  pending_wait_.reset();
}

bool RecordingComm::CommEventPending() const {
  std::lock_guard lock(mutex_);
  return pending_wait_.has_value();
}

std::vector<CommCall> RecordingComm::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> RecordingComm::CallNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const CommCall& call : calls_) names.push_back(call.name);
  return names;
}

std::size_t RecordingComm::CountOf(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [&](const CommCall& call) { return call.name == name; }));
}

void RecordingComm::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

std::vector<platform::DCB> RecordingComm::Dcbs() const {
  std::lock_guard lock(mutex_);
  return dcbs_;
}

std::vector<platform::COMMTIMEOUTS> RecordingComm::Timeouts() const {
  std::lock_guard lock(mutex_);
  return timeouts_;
}

std::vector<std::uint8_t> RecordingComm::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::size_t RecordingComm::OpenHandles() const {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

std::size_t RecordingComm::PendingReads() const {
  std::lock_guard lock(mutex_);
  return pending_reads_.size();
}

// --- Internals (mutex held) ---

bool RecordingComm::Enter(std::string_view name, std::vector<std::uint64_t> args,
                          std::string path) {
  calls_.push_back({std::string(name), std::move(args), std::move(path)});
  const auto found = failures_.find(name);
  if (found == failures_.end() || found->second.empty()) return false;
  last_error_[std::this_thread::get_id()] = found->second.front();
  found->second.pop_front();
  return true;
}

bool RecordingComm::IsDevice(HANDLE handle) const {
  const auto found = objects_.find(handle);
  return found != objects_.end() && found->second.kind == Kind::kDevice;
}

platform::BOOL RecordingComm::Fail(DWORD error) {
  last_error_[std::this_thread::get_id()] = error;
  return 0;
}

void RecordingComm::Complete(platform::OVERLAPPED* ov, DWORD status, DWORD count) {
  ov->Internal = status;
  ov->InternalHigh = count;
  const auto event = objects_.find(ov->hEvent);
  if (event != objects_.end()) event->second.signalled = true;
  signalled_.notify_all();
}

DWORD RecordingComm::TakeInput(std::uint8_t* buffer, DWORD count) {
  DWORD taken = 0;
  while (taken < count && !input_.empty()) {
    buffer[taken++] = input_.front();
    input_.pop_front();
  }
  return taken;
}

// --- The seam ---

HANDLE RecordingComm::CreateFileA(const char* path, DWORD access, DWORD share_mode, void*,
                                  DWORD disposition, DWORD flags, HANDLE template_file) {
  std::lock_guard lock(mutex_);
  if (Enter("CreateFileA",
            {access, share_mode, disposition, flags, static_cast<std::uint64_t>(template_file)},
            path)) {
    return platform::INVALID_HANDLE_VALUE;
  }
  const HANDLE handle = next_handle_++;
  objects_[handle] = Object{Kind::kDevice};
  return handle;
}

platform::BOOL RecordingComm::CloseHandle(HANDLE handle) {
  std::lock_guard lock(mutex_);
  if (Enter("CloseHandle", {static_cast<std::uint64_t>(handle)})) return 0;
  if (objects_.erase(handle) == 0) return Fail(platform::ERROR_INVALID_HANDLE);
  return 1;
}

#define VLK_DEVICE_CALL(name, ...)                                           \
  std::lock_guard lock(mutex_);                                              \
  if (Enter(name, {static_cast<std::uint64_t>(dev), __VA_ARGS__})) return 0; \
  if (!IsDevice(dev)) return Fail(platform::ERROR_INVALID_HANDLE)

platform::BOOL RecordingComm::SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) {
  VLK_DEVICE_CALL("SetupComm", in_queue, out_queue);
  return 1;
}

platform::BOOL RecordingComm::SetCommState(HANDLE dev, const platform::DCB* dcb) {
  VLK_DEVICE_CALL("SetCommState", Ptr(dcb));
  dcbs_.push_back(*dcb);
  return 1;
}

platform::BOOL RecordingComm::GetCommState(HANDLE dev, platform::DCB* dcb) {
  VLK_DEVICE_CALL("GetCommState", Ptr(dcb));
  *dcb = dcbs_.empty() ? platform::DCB{} : dcbs_.back();
  return 1;
}

platform::BOOL RecordingComm::SetCommTimeouts(HANDLE dev, const platform::COMMTIMEOUTS* t) {
  VLK_DEVICE_CALL("SetCommTimeouts", Ptr(t));
  timeouts_.push_back(*t);
  return 1;
}

platform::BOOL RecordingComm::GetCommTimeouts(HANDLE dev, platform::COMMTIMEOUTS* t) {
  VLK_DEVICE_CALL("GetCommTimeouts", Ptr(t));
  *t = timeouts_.empty() ? platform::COMMTIMEOUTS{} : timeouts_.back();
  return 1;
}

platform::BOOL RecordingComm::WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                                        platform::OVERLAPPED* ov) {
  VLK_DEVICE_CALL("WriteFile", count);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  written_.insert(written_.end(), bytes, bytes + count);
  Complete(ov, 0, count);
  *written = count;
  return 1;
}

platform::BOOL RecordingComm::ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read,
                                       platform::OVERLAPPED* ov) {
  VLK_DEVICE_CALL("ReadFile", count);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  if (reads_pending_) {
    objects_[ov->hEvent].signalled = false;
    pending_reads_.push_back({bytes, count, ov});
    *read = 0;
    return Fail(platform::ERROR_IO_PENDING);
  }
  *read = TakeInput(bytes, count);
  Complete(ov, 0, *read);
  return 1;
}

platform::BOOL RecordingComm::GetOverlappedResult(HANDLE dev, platform::OVERLAPPED* ov,
                                                  DWORD* transferred, platform::BOOL wait) {
  VLK_DEVICE_CALL("GetOverlappedResult", static_cast<std::uint64_t>(wait));
  const auto event = objects_.find(ov->hEvent);
  if (event == objects_.end() || !event->second.signalled) {
    return Fail(platform::ERROR_IO_INCOMPLETE);
  }
  *transferred = static_cast<DWORD>(ov->InternalHigh);
  if (ov->Internal != 0) return Fail(static_cast<DWORD>(ov->Internal));
  return 1;
}

platform::BOOL RecordingComm::PurgeComm(HANDLE dev, DWORD flags) {
  VLK_DEVICE_CALL("PurgeComm", flags);
  if ((flags & platform::PURGE_RXABORT) != 0) {
    for (const PendingRead& read : pending_reads_) {
      Complete(read.ov, platform::ERROR_OPERATION_ABORTED, 0);
    }
    pending_reads_.clear();
  }
  if ((flags & platform::PURGE_RXCLEAR) != 0) input_.clear();
  return 1;
}

platform::BOOL RecordingComm::ClearCommError(HANDLE dev, DWORD* errors, platform::COMSTAT* stat) {
  VLK_DEVICE_CALL("ClearCommError", Ptr(errors));
  *errors = line_errors_;
  line_errors_ = 0;
  if (stat == nullptr) return 1;  // optional, as the system's
  *stat = platform::COMSTAT{};
  stat->cbInQue = in_queue_scripted_ ? in_queue_ : static_cast<DWORD>(input_.size());
  return 1;
}

platform::BOOL RecordingComm::GetCommModemStatus(HANDLE dev, DWORD* status) {
  VLK_DEVICE_CALL("GetCommModemStatus", Ptr(status));
  *status = modem_status_;
  return 1;
}

platform::BOOL RecordingComm::SetCommMask(HANDLE dev, DWORD mask) {
  VLK_DEVICE_CALL("SetCommMask", mask);
  if (pending_wait_) {  // a new mask ends the pending wait with no events
    *pending_wait_->mask = 0;
    Complete(pending_wait_->ov, 0, 0);
    pending_wait_.reset();
  }
  return 1;
}

platform::BOOL RecordingComm::WaitCommEvent(HANDLE dev, DWORD* mask, platform::OVERLAPPED* ov) {
  VLK_DEVICE_CALL("WaitCommEvent", Ptr(ov));
  if (pending_wait_) return Fail(platform::ERROR_INVALID_PARAMETER);
  if (!comm_events_.empty()) {
    *mask = comm_events_.front();
    comm_events_.pop_front();
    Complete(ov, 0, 0);
    return 1;
  }
  objects_[ov->hEvent].signalled = false;
  *mask = 0;
  pending_wait_ = PendingWait{mask, ov};
  return Fail(platform::ERROR_IO_PENDING);
}

#undef VLK_DEVICE_CALL

HANDLE RecordingComm::CreateEventA(void*, platform::BOOL manual_reset, platform::BOOL initial_state,
                                   const char*) {
  std::lock_guard lock(mutex_);
  if (Enter("CreateEventA", {static_cast<std::uint64_t>(manual_reset),
                             static_cast<std::uint64_t>(initial_state)})) {
    return 0;
  }
  const HANDLE handle = next_handle_++;
  objects_[handle] = Object{Kind::kEvent, initial_state != 0};
  return handle;
}

platform::BOOL RecordingComm::SetEvent(HANDLE event) {
  std::lock_guard lock(mutex_);
  if (Enter("SetEvent", {static_cast<std::uint64_t>(event)})) return 0;
  const auto found = objects_.find(event);
  if (found == objects_.end()) return Fail(platform::ERROR_INVALID_HANDLE);
  found->second.signalled = true;
  signalled_.notify_all();
  return 1;
}

platform::BOOL RecordingComm::ResetEvent(HANDLE event) {
  std::lock_guard lock(mutex_);
  if (Enter("ResetEvent", {static_cast<std::uint64_t>(event)})) return 0;
  const auto found = objects_.find(event);
  if (found == objects_.end()) return Fail(platform::ERROR_INVALID_HANDLE);
  found->second.signalled = false;
  return 1;
}

DWORD RecordingComm::WaitForSingleObject(HANDLE handle, DWORD timeout_ms) {
  return WaitForMultipleObjects(1, &handle, 0, timeout_ms);
}

DWORD RecordingComm::WaitForMultipleObjects(DWORD count, const HANDLE* handles, platform::BOOL,
                                            DWORD timeout_ms) {
  std::unique_lock lock(mutex_);
  std::vector<std::uint64_t> args(handles, handles + count);
  args.push_back(timeout_ms);
  if (Enter(count == 1 ? "WaitForSingleObject" : "WaitForMultipleObjects", std::move(args))) {
    return platform::WAIT_FAILED;
  }
  DWORD result = platform::WAIT_FAILED;
  const auto ready = [&] {
    for (DWORD i = 0; i < count; ++i) {
      const auto found = objects_.find(handles[i]);
      if (found == objects_.end()) {
        Fail(platform::ERROR_INVALID_HANDLE);
        result = platform::WAIT_FAILED;
        return true;
      }
      if (found->second.signalled) {
        result = platform::WAIT_OBJECT_0 + i;
        return true;
      }
    }
    return false;
  };
  if (timeout_ms == platform::INFINITE) {
    signalled_.wait(lock, ready);
  } else if (!signalled_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
    return platform::WAIT_TIMEOUT;
  }
  return result;
}

DWORD RecordingComm::GetLastError() {
  std::lock_guard lock(mutex_);
  const auto found = last_error_.find(std::this_thread::get_id());
  return found == last_error_.end() ? 0 : found->second;
}

void RecordingComm::SetLastError(DWORD code) {
  std::lock_guard lock(mutex_);
  last_error_[std::this_thread::get_id()] = code;
}

}  // namespace vlk_test
