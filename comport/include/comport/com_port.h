// The serial port object: settings, opening and closing, applying settings to
// the device, transfers, listeners and per-event processing. The operating
// system is reached only through platform::Comm().
//
// Thread rule: one thread at a time uses the port, except that CancelTransfers
// and PurgeBuffers may run while another thread waits in AwaitAsync, and that
// Connected() and DeviceHandle() may be read from any thread. Handlers and
// listeners run on the thread that made the call that raised them, except
// those of the event thread, which run where SyncMethod says (com_thread.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comport/async_op.h"
#include "comport/com_errors.h"
#include "comport/com_settings.h"
#include "comport/com_types.h"
#include "comport/port_listener.h"
#include "platform/comm_api.h"
#include "runtime/component.h"
#include "runtime/toolkit.h"

namespace runtime {
class TCustomIniFile;
class TEventReceiver;
class TRegistryKey;
struct TMessage;
}  // namespace runtime

namespace comport {

class TComThread;

class TCustomComPort : public runtime::TComponent {
 public:
  // Creates the port closed, with the default settings.
  explicit TCustomComPort(runtime::TComponent* owner = nullptr);
  // Closes an open port (an error of the close is reported through the toolkit
  // and the device is released anyway), then frees what the port owns.
  ~TCustomComPort() override;

  std::string_view ClassName() const override { return "TCustomComPort"; }

  // --- Settings -----------------------------------------------------------
  // Setters compare, store and re-apply their group to an open port.

  // True exactly while the device is open. While loading or designing an
  // assignment only records the value; otherwise true opens, false closes.
  bool Connected() const { return connected_.load(std::memory_order_acquire); }
  void SetConnected(bool value);
  TBaudRate BaudRate() const { return baud_rate_; }
  void SetBaudRate(TBaudRate value);
  std::int32_t CustomBaudRate() const { return custom_baud_rate_; }
  void SetCustomBaudRate(std::int32_t value);
  // Device name, used verbatim after "\\.\". Changing it reopens an open port.
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& value);
  TStopBits StopBits() const { return stop_bits_; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return data_bits_; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return discard_null_; }
  void SetDiscardNull(bool value);
  char EventChar() const { return event_char_; }
  void SetEventChar(char value);
  // Takes effect at the next open.
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents value) { events_ = value; }

  // The owned settings objects. The Set... forms copy the whole object and
  // always re-apply its group.
  TComBuffer& Buffer() { return *buffer_; }
  const TComBuffer& Buffer() const { return *buffer_; }
  void SetBuffer(const TComBuffer& value);
  TComParity& Parity() { return *parity_; }
  const TComParity& Parity() const { return *parity_; }
  void SetParity(const TComParity& value);
  TComTimeouts& Timeouts() { return *timeouts_; }
  const TComTimeouts& Timeouts() const { return *timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TComFlowControl& FlowControl() { return *flow_control_; }
  const TComFlowControl& FlowControl() const { return *flow_control_; }
  void SetFlowControl(const TComFlowControl& value);

  // Where the event thread's events reach the handlers: smThreadSync on the
  // main thread, smNone on the event thread, smWindowSync on the thread that
  // opened the port. That thread receives them only while it serves its call
  // queue (runtime/main_thread.h), and must do so for as long as the port is open: the
  // main thread through its toolkit's loop, any other thread by calling
  // ProcessThreadCalls or CheckSynchronize; closing the port from it serves
  // the queue while the event thread ends.
  // A different value on an open port (not loading, not designing) raises
  // error 14 and keeps the old one.
  TSyncMethod SyncMethod() const { return sync_method_; }
  void SetSyncMethod(TSyncMethod value);
  TStoredGroups StoredGroups() const { return stored_groups_; }
  void SetStoredGroups(TStoredGroups value) { stored_groups_ = value; }
  // Priority of the event thread; takes effect at the next open.
  runtime::TThreadPriority MonitorPriority() const { return monitor_priority_; }
  void SetMonitorPriority(runtime::TThreadPriority value) { monitor_priority_ = value; }

  bool NotifyRxCount() const { return notify_rx_count_; }
  bool DataListenerAttached() const { return data_listener_attached_; }
  // The open device, or INVALID_HANDLE_VALUE.
  platform::HANDLE DeviceHandle() const { return handle_.load(std::memory_order_acquire); }

  // --- Handlers -----------------------------------------------------------
  TNotifyEvent OnAfterOpen;
  TNotifyEvent OnAfterClose;
  TNotifyEvent OnBeforeOpen;
  TNotifyEvent OnBeforeClose;
  TRxCharEvent OnRxChar;
  TRxBufEvent OnRxBuf;
  TNotifyEvent OnTxEmpty;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComSignalEvent OnRLSDChange;
  TComErrorEvent OnError;
  TNotifyEvent OnRxFlag;
  TNotifyEvent OnRx80Full;

  // --- Opening and closing ------------------------------------------------
  void OpenPort();
  void ClosePort();
  // Opens the port when Connected was set true while loading; an error of that
  // open goes to the toolkit's exception report and the port stays closed.
  void AfterLoad() override;
  virtual void OpenDevice();
  virtual void CloseDevice();
  // Queue sizes, then line settings, then time-outs.
  virtual void ApplyAllSettings();
  // Each does nothing unless the port is open and neither loading nor designing.
  virtual void ApplyLineSettings();
  virtual void ApplyTimeoutSettings();
  virtual void ApplyQueueSizes();

  // --- Transfers (no check of Connected: a closed port fails at the platform)
  // `buffer` must stay valid (and, for a read, untouched) until awaited. A
  // start that raises leaves no transfer pending (a listener that raises on
  // a pending write ends it, and every other pending write with it).
  std::int32_t SendBytesAsync(const void* buffer, std::int32_t count, PAsyncOp op);
  std::int32_t ReceiveBytesAsync(void* buffer, std::int32_t count, PAsyncOp op);
  // Blocks until the transfer ends; returns the bytes actually transferred.
  std::int32_t AwaitAsync(PAsyncOp op);
  std::int32_t SendBytes(const void* buffer, std::int32_t count);
  std::int32_t ReceiveBytes(void* buffer, std::int32_t count);
  // Ends pending reads and writes at once; their AwaitAsync raises 2 or 3.
  void CancelTransfers();
  // Discards queued bytes; transfers in progress go on.
  void PurgeBuffers(bool input, bool output);
  std::int32_t BytesAvailable();
  TModemSignals ModemSignals();
  // Reads and clears the device's line errors.
  TComErrors LineErrors();

  // --- Settings storage (port_storage.h) -------------------------------------
  // The StoredGroups, in an INI section named after the port or in a key the
  // caller has opened. Overridable so that a port type can store more.
  virtual void SaveToIniFile(runtime::TCustomIniFile& ini_file);
  virtual void LoadFromIniFile(runtime::TCustomIniFile& ini_file);
  virtual void SaveToRegistry(runtime::TRegistryKey& key);
  virtual void LoadFromRegistry(runtime::TRegistryKey& key);

  // --- Listeners ------------------------------------------------------------
  // The listener is not owned and must outlive its registration. Adding one
  // twice or removing one that is not registered raises error 18.
  void AddListener(TPortListener& listener);
  void RemoveListener(TPortListener& listener);

  // --- Event processing -------------------------------------------------------
  void ProcessRxChar();
  void ProcessTxEmpty();
  void ProcessRxFlag();
  void ProcessRing();
  void ProcessBreak();
  void ProcessCTSChange();
  void ProcessDSRChange();
  void ProcessError();
  void ProcessRLSDChange();
  void ProcessRx80Full();
  // Opening: the three modem lines as read now; closing: all three off.
  void AnnounceSignals(bool opening);
  // The event receiver's procedure (smWindowSync): replies at once to a send
  // of another thread, then processes the event of wParam while Connected.
  // An exception goes to the toolkit's report.
  void EventWindowProc(runtime::TMessage& message);
  // Whether the event thread and, for smWindowSync, the receiver exist.
  bool EventThreadCreated() const { return thread_created_; }
  bool HasEventReceiver() const { return event_window_ != nullptr; }

 protected:
  // Hooks that call the matching handler when one is assigned.
  virtual void FireAfterClose();
  virtual void FireAfterOpen();
  virtual void FireBeforeClose();
  virtual void FireBeforeOpen();
  virtual void FireRxChar(std::int32_t count);
  virtual void FireRxBuf(const std::uint8_t* buffer, std::int32_t count);
  virtual void FireTxEmpty();
  virtual void FireBreak();
  virtual void FireRing();
  virtual void FireRxFlag();
  virtual void FireCTSChange(bool on);
  virtual void FireDSRChange(bool on);
  virtual void FireError(TComErrors errors);
  virtual void FireRLSDChange(bool on);
  virtual void FireRx80Full();

 private:
  // Open, and neither loading nor designing: settings reach the device.
  bool Applicable() const;
  template <typename T>
  void StoreLineSetting(T& field, T value);
  // Calls `callback` of every listener, first to last, skipping unassigned ones.
  template <typename Callback, typename... Args>
  void NotifyListeners(Callback TPortListener::*callback, Args... args);
  void ProcessSignalChange(TModemSignal signal, TPortListener::Signal TPortListener::*callback,
                           void (TCustomComPort::*fire)(bool));
  // Closes and frees the spare transfer record, if there is one.
  void FreeSpareOp();
  // The rest of AwaitAsync once the wait for the transfer's event returned `wait_result`.
  std::int32_t EndTransfer(PAsyncOp op, platform::DWORD wait_result);
  // Starting and stopping the event thread for a port that watches events.
  void StartEventThread();
  void StopEventThread();

  // Run-time state.
  bool thread_created_ = false;
  std::unique_ptr<TComThread> event_thread_;
  std::unique_ptr<runtime::TEventReceiver> event_window_;
  std::atomic<platform::HANDLE> handle_{platform::INVALID_HANDLE_VALUE};
  // The record SendBytes and ReceiveBytes use next, while the port is open (port_transfer.cpp);
  // taken and given back atomically, as one thread may send while another receives.
  std::atomic<PAsyncOp> spare_op_{nullptr};
  std::vector<TPortListener*> listeners_;
  bool notify_rx_count_ = true;
  runtime::TThreadPriority monitor_priority_ = runtime::tpNormal;
  bool data_listener_attached_ = false;

  // Settings.
  std::atomic<bool> connected_{false};
  bool connect_after_load_ = false;  // Connected recorded true while loading
  TBaudRate baud_rate_ = br9600;
  std::int32_t custom_baud_rate_ = 9600;
  std::string port_ = "COM1";
  TStopBits stop_bits_ = sbOneStopBit;
  TDataBits data_bits_ = dbEight;
  bool discard_null_ = false;
  char event_char_ = 0;
  TComEvents events_ = kAllComEvents;
  std::unique_ptr<TComBuffer> buffer_;
  std::unique_ptr<TComParity> parity_;
  std::unique_ptr<TComTimeouts> timeouts_;
  std::unique_ptr<TComFlowControl> flow_control_;
  TSyncMethod sync_method_ = smThreadSync;
  TStoredGroups stored_groups_{sgBasic};
};

// The port as the window definition uses it; all behaviour is in the base.
class TComPort : public TCustomComPort {
 public:
  using TCustomComPort::TCustomComPort;
  std::string_view ClassName() const override { return "TComPort"; }
};

}  // namespace comport
