// Listeners, per-event processing and the hooks that call the handlers.
#include <algorithm>
#include <memory>

#include "comport/com_port.h"
#include "listener_walk.h"

namespace comport {

void TCustomComPort::AddListener(TPortListener& listener) {
  if (std::find(listeners_.begin(), listeners_.end(), &listener) != listeners_.end()) {
    throw EComPort(kErrLinkFailed);
  }
  listeners_.push_back(&listener);
}

void TCustomComPort::RemoveListener(TPortListener& listener) {
  const auto found = std::find(listeners_.begin(), listeners_.end(), &listener);
  if (found == listeners_.end()) throw EComPort(kErrLinkFailed);
  listeners_.erase(found);
}

void TCustomComPort::ProcessRxChar() {
  std::int32_t count = BytesAvailable();
  if (count > 0) NotifyListeners(&TPortListener::RxActivity, true);
  if (count > 0 && !(notify_rx_count_ && !data_listener_attached_)) {
    // The port reads the waiting bytes itself, once, for the first listener
    // that wants them (or for OnRxBuf alone when counts are not notified).
    std::unique_ptr<std::uint8_t[]> buffer;
    std::int32_t received = 0;
    auto read_once = [&] {
      if (buffer != nullptr) return;
      buffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(count));
      // Only the bytes that really arrived are handed on.
      received = ReceiveBytes(buffer.get(), count);
      FireRxBuf(buffer.get(), received);
    };
    const std::size_t listeners = listeners_.size();
    for (std::size_t i = 0; i < listeners && i < listeners_.size(); ++i) {
      TPortListener& listener = *listeners_[i];
      if (!listener.BytesReceived) continue;
      read_once();
      listener.BytesReceived(*this, buffer.get(), received);
    }
    if (buffer == nullptr && !notify_rx_count_) read_once();
    if (buffer != nullptr) count = 0;
  }
  if (count > 0) FireRxChar(count);
}

void TCustomComPort::ProcessTxEmpty() {
  NotifyListeners(&TPortListener::TxActivity, false);
  NotifyListeners(&TPortListener::TxQueueEmpty);
  FireTxEmpty();
}

void TCustomComPort::ProcessRxFlag() {
  NotifyListeners(&TPortListener::FlagCharReceived);
  FireRxFlag();
}

void TCustomComPort::ProcessRing() {
  NotifyListeners(&TPortListener::RingDetected);
  FireRing();
}

void TCustomComPort::ProcessBreak() { FireBreak(); }

void TCustomComPort::ProcessSignalChange(TModemSignal signal,
                                         TPortListener::Signal TPortListener::*callback,
                                         void (TCustomComPort::*fire)(bool)) {
  // The state as read now, not a stored edge: two events may report the same.
  const bool on = ModemSignals().Contains(signal);
  NotifyListeners(callback, on);
  (this->*fire)(on);
}

void TCustomComPort::ProcessCTSChange() {
  ProcessSignalChange(msCTS, &TPortListener::CTSChanged, &TCustomComPort::FireCTSChange);
}

void TCustomComPort::ProcessDSRChange() {
  ProcessSignalChange(msDSR, &TPortListener::DSRChanged, &TCustomComPort::FireDSRChange);
}

void TCustomComPort::ProcessRLSDChange() {
  ProcessSignalChange(msRLSD, &TPortListener::RLSDChanged, &TCustomComPort::FireRLSDChange);
}

void TCustomComPort::ProcessError() {
  const TComErrors errors = LineErrors();
  if (!errors.Empty()) FireError(errors);
}

void TCustomComPort::ProcessRx80Full() { FireRx80Full(); }

void TCustomComPort::AnnounceSignals(bool opening) {
  if (opening) {
    ProcessCTSChange();
    ProcessDSRChange();
    ProcessRLSDChange();
    return;
  }
  NotifyListeners(&TPortListener::CTSChanged, false);
  NotifyListeners(&TPortListener::DSRChanged, false);
  NotifyListeners(&TPortListener::RLSDChanged, false);
  FireCTSChange(false);
  FireDSRChange(false);
  FireRLSDChange(false);
}

void TCustomComPort::FireAfterClose() {
  if (OnAfterClose) OnAfterClose(*this);
}
void TCustomComPort::FireAfterOpen() {
  if (OnAfterOpen) OnAfterOpen(*this);
}
void TCustomComPort::FireBeforeClose() {
  if (OnBeforeClose) OnBeforeClose(*this);
}
void TCustomComPort::FireBeforeOpen() {
  if (OnBeforeOpen) OnBeforeOpen(*this);
}
void TCustomComPort::FireRxChar(std::int32_t count) {
  if (OnRxChar) OnRxChar(*this, count);
}
void TCustomComPort::FireRxBuf(const std::uint8_t* buffer, std::int32_t count) {
  if (OnRxBuf) OnRxBuf(*this, buffer, count);
}
void TCustomComPort::FireTxEmpty() {
  if (OnTxEmpty) OnTxEmpty(*this);
}
void TCustomComPort::FireBreak() {
  if (OnBreak) OnBreak(*this);
}
void TCustomComPort::FireRing() {
  if (OnRing) OnRing(*this);
}
void TCustomComPort::FireRxFlag() {
  if (OnRxFlag) OnRxFlag(*this);
}
void TCustomComPort::FireCTSChange(bool on) {
  if (OnCTSChange) OnCTSChange(*this, on);
}
void TCustomComPort::FireDSRChange(bool on) {
  if (OnDSRChange) OnDSRChange(*this, on);
}
void TCustomComPort::FireError(TComErrors errors) {
  if (OnError) OnError(*this, errors);
}
void TCustomComPort::FireRLSDChange(bool on) {
  if (OnRLSDChange) OnRLSDChange(*this, on);
}
void TCustomComPort::FireRx80Full() {
  if (OnRx80Full) OnRx80Full(*this);
}

}  // namespace comport
