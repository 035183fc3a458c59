// The four settings objects a port owns. A setter compares, stores, and asks
// the owning port (if any) to re-apply its group of settings; the port applies
// nothing unless it is open and neither loading nor designing.
//
// Thread rule: used by the thread that owns the port.
#pragma once

#include <cstdint>

#include "comport/com_types.h"
#include "runtime/persistent.h"

namespace comport {

// Base of the settings objects: the non-owning reference to the owning port.
class TComSettings : public runtime::TPersistent {
 public:
  explicit TComSettings(TCustomComPort* owner_port) : owner_port_(owner_port) {}
  TCustomComPort* OwnerPort() const { return owner_port_; }

 protected:
  // Compare, store, then (with an owner) run the owner's re-apply step.
  template <typename T>
  void Store(T& field, T value, void (TCustomComPort::*apply)());
  void Reapply(void (TCustomComPort::*apply)());

 private:
  TCustomComPort* owner_port_;
};

// Re-applied with ApplyLineSettings.
class TComParity : public TComSettings {
 public:
  explicit TComParity(TCustomComPort* owner_port = nullptr) : TComSettings(owner_port) {}
  std::string_view ClassName() const override { return "TComParity"; }
  void CopyFrom(const runtime::TPersistent& source) override;

  TParityBits Bits() const { return bits_; }
  void SetBits(TParityBits value);
  bool Check() const { return check_; }
  void SetCheck(bool value);
  bool Replace() const { return replace_; }
  void SetReplace(bool value);
  char ReplaceChar() const { return replace_char_; }
  void SetReplaceChar(char value);

 private:
  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  char replace_char_ = 0;
};

// Re-applied with ApplyLineSettings. FlowControl() is a preset derived from
// ControlRTS, OutCTSFlow, XonXoffIn and XonXoffOut; setting it rewrites those.
class TComFlowControl : public TComSettings {
 public:
  explicit TComFlowControl(TCustomComPort* owner_port = nullptr) : TComSettings(owner_port) {}
  std::string_view ClassName() const override { return "TComFlowControl"; }
  void CopyFrom(const runtime::TPersistent& source) override;

  bool OutCTSFlow() const { return out_cts_flow_; }
  void SetOutCTSFlow(bool value);
  bool OutDSRFlow() const { return out_dsr_flow_; }
  void SetOutDSRFlow(bool value);
  TDTRFlowControl ControlDTR() const { return control_dtr_; }
  void SetControlDTR(TDTRFlowControl value);
  TRTSFlowControl ControlRTS() const { return control_rts_; }
  void SetControlRTS(TRTSFlowControl value);
  bool XonXoffOut() const { return xon_xoff_out_; }
  void SetXonXoffOut(bool value);
  bool XonXoffIn() const { return xon_xoff_in_; }
  void SetXonXoffIn(bool value);
  bool DSRSensitivity() const { return dsr_sensitivity_; }
  void SetDSRSensitivity(bool value);
  bool TxContinueOnXoff() const { return tx_continue_on_xoff_; }
  void SetTxContinueOnXoff(bool value);
  char XonChar() const { return xon_char_; }
  void SetXonChar(char value);
  char XoffChar() const { return xoff_char_; }
  void SetXoffChar(char value);

  TFlowControl FlowControl() const;
  // Always re-applies, even when nothing changed (fcCustom changes nothing).
  void SetFlowControl(TFlowControl value);

 private:
  bool out_cts_flow_ = false;
  bool out_dsr_flow_ = false;
  TDTRFlowControl control_dtr_ = dtrDisable;
  TRTSFlowControl control_rts_ = rtsDisable;
  bool xon_xoff_out_ = false;
  bool xon_xoff_in_ = false;
  bool dsr_sensitivity_ = false;
  bool tx_continue_on_xoff_ = false;
  char xon_char_ = 17;
  char xoff_char_ = 19;
};

// Milliseconds, handed to the device unchanged as 32 bits (-1 is MAXDWORD).
// Re-applied with ApplyTimeoutSettings.
class TComTimeouts : public TComSettings {
 public:
  explicit TComTimeouts(TCustomComPort* owner_port = nullptr) : TComSettings(owner_port) {}
  std::string_view ClassName() const override { return "TComTimeouts"; }
  void CopyFrom(const runtime::TPersistent& source) override;

  std::int32_t ReadInterval() const { return read_interval_; }
  void SetReadInterval(std::int32_t value);
  std::int32_t ReadTotalMultiplier() const { return read_total_multiplier_; }
  void SetReadTotalMultiplier(std::int32_t value);
  std::int32_t ReadTotalConstant() const { return read_total_constant_; }
  void SetReadTotalConstant(std::int32_t value);
  std::int32_t WriteTotalMultiplier() const { return write_total_multiplier_; }
  void SetWriteTotalMultiplier(std::int32_t value);
  std::int32_t WriteTotalConstant() const { return write_total_constant_; }
  void SetWriteTotalConstant(std::int32_t value);

 private:
  std::int32_t read_interval_ = -1;
  std::int32_t read_total_multiplier_ = 0;
  std::int32_t read_total_constant_ = 0;
  std::int32_t write_total_multiplier_ = 100;
  std::int32_t write_total_constant_ = 1000;
};

// Driver queue sizes in bytes; a positive odd size is stored one less.
// Re-applied with ApplyQueueSizes.
class TComBuffer : public TComSettings {
 public:
  explicit TComBuffer(TCustomComPort* owner_port = nullptr) : TComSettings(owner_port) {}
  std::string_view ClassName() const override { return "TComBuffer"; }
  // Copies the sizes as they are, without rounding.
  void CopyFrom(const runtime::TPersistent& source) override;

  std::int32_t InputSize() const { return input_size_; }
  void SetInputSize(std::int32_t value);
  std::int32_t OutputSize() const { return output_size_; }
  void SetOutputSize(std::int32_t value);

 private:
  void SetSize(std::int32_t& field, std::int32_t value);

  std::int32_t input_size_ = 1024;
  std::int32_t output_size_ = 1024;
};

}  // namespace comport
