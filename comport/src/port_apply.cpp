// Pushing the settings into the device's driver.
#include "comport/com_port.h"
#include "enum_tables.h"
#include "platform_error.h"

namespace comport {

using platform::Comm;
using platform::DWORD;

void TCustomComPort::ApplyAllSettings() {
  ApplyQueueSizes();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::ApplyQueueSizes() {
  if (!Applicable()) return;
  if (!Comm().SetupComm(DeviceHandle(), static_cast<DWORD>(buffer_->InputSize()),
                        static_cast<DWORD>(buffer_->OutputSize()))) {
    detail::RaiseLastError(kErrSetupCommFailed);
  }
}

void TCustomComPort::ApplyLineSettings() {
  if (!Applicable()) return;
  platform::DCB dcb{};
  dcb.DCBlength = sizeof(platform::DCB);
  const auto limit = static_cast<platform::WORD>(buffer_->InputSize() / 4);
  dcb.XonLim = limit;
  dcb.XoffLim = limit;
  dcb.EvtChar = event_char_;

  DWORD flags = platform::DCB_fBinary;
  if (discard_null_) flags |= platform::DCB_fNull;
  const TComFlowControl& flow = *flow_control_;
  dcb.XonChar = flow.XonChar();
  dcb.XoffChar = flow.XoffChar();
  if (flow.OutCTSFlow()) flags |= platform::DCB_fOutxCtsFlow;
  if (flow.OutDSRFlow()) flags |= platform::DCB_fOutxDsrFlow;
  flags |= detail::kDTRControls.DeviceValue(flow.ControlDTR()) << platform::DCB_fDtrControlShift;
  flags |= detail::kRTSControls.DeviceValue(flow.ControlRTS()) << platform::DCB_fRtsControlShift;
  if (flow.XonXoffOut()) flags |= platform::DCB_fOutX;
  if (flow.XonXoffIn()) flags |= platform::DCB_fInX;
  if (flow.DSRSensitivity()) flags |= platform::DCB_fDsrSensitivity;
  if (flow.TxContinueOnXoff()) flags |= platform::DCB_fTXContinueOnXoff;

  dcb.Parity = static_cast<platform::BYTE>(detail::kParityBits.DeviceValue(parity_->Bits()));
  dcb.StopBits = static_cast<platform::BYTE>(detail::kStopBits.DeviceValue(stop_bits_));
  dcb.BaudRate = baud_rate_ == brCustom ? static_cast<DWORD>(custom_baud_rate_)
                                        : detail::kBaudRates.DeviceValue(baud_rate_);
  dcb.ByteSize = static_cast<platform::BYTE>(detail::kDataBits.DeviceValue(data_bits_));
  // Replacing bad bytes only means something when parity is checked.
  if (parity_->Check()) {
    flags |= platform::DCB_fParity;
    if (parity_->Replace()) {
      flags |= platform::DCB_fErrorChar;
      dcb.ErrorChar = parity_->ReplaceChar();
    }
  }
  dcb.Flags = flags;
  if (!Comm().SetCommState(DeviceHandle(), &dcb)) detail::RaiseLastError(kErrSetStateFailed);
}

void TCustomComPort::ApplyTimeoutSettings() {
  if (!Applicable()) return;
  const TComTimeouts& t = *timeouts_;
  // Same 32 bits: -1 becomes MAXDWORD.
  const platform::COMMTIMEOUTS timeouts{
      static_cast<DWORD>(t.ReadInterval()), static_cast<DWORD>(t.ReadTotalMultiplier()),
      static_cast<DWORD>(t.ReadTotalConstant()), static_cast<DWORD>(t.WriteTotalMultiplier()),
      static_cast<DWORD>(t.WriteTotalConstant())};
  if (!Comm().SetCommTimeouts(DeviceHandle(), &timeouts)) {
    detail::RaiseLastError(kErrTimeoutsFailed);
  }
}

}  // namespace comport
