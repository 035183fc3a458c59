#include "stored_settings.h"

#include <array>

#include "comport/text_conversions.h"
#include "runtime/int_text.h"

namespace comport {
namespace {

using P = TCustomComPort;
using Text = std::string_view;
constexpr ValueForm kText = ValueForm::kText;
constexpr ValueForm kInteger = ValueForm::kInteger;

std::string Int(std::int32_t value) { return std::to_string(value); }

// In storage order: the groups as listed, each group's values as listed.
constexpr std::array<StoredSetting, 29> kStoredSettings{{
    {sgBasic, "Port", kText, [](const P& p) { return p.Port(); },
     [](P& p, Text t) { p.SetPort(std::string(t)); }},
    {sgBasic, "BaudRate", kText, [](const P& p) { return BaudRateToText(p.BaudRate()); },
     [](P& p, Text t) { p.SetBaudRate(TextToBaudRate(t)); }},
    {sgBasic, "CustomBaudRate", kInteger, [](const P& p) { return Int(p.CustomBaudRate()); },
     [](P& p, Text t) { p.SetCustomBaudRate(runtime::StrToInt(t)); }, "9600"},
    {sgBasic, "StopBits", kText, [](const P& p) { return StopBitsToText(p.StopBits()); },
     [](P& p, Text t) { p.SetStopBits(TextToStopBits(t)); }},
    {sgBasic, "DataBits", kText, [](const P& p) { return DataBitsToText(p.DataBits()); },
     [](P& p, Text t) { p.SetDataBits(TextToDataBits(t)); }},
    {sgBasic, "Parity", kText, [](const P& p) { return ParityToText(p.Parity().Bits()); },
     [](P& p, Text t) { p.Parity().SetBits(TextToParity(t)); }},
    {sgBasic, "FlowControl", kText,
     [](const P& p) { return FlowControlToText(p.FlowControl().FlowControl()); },
     [](P& p, Text t) { p.FlowControl().SetFlowControl(TextToFlowControl(t)); }},

    {sgOthers, "EventChar", kText, [](const P& p) { return CharToText(p.EventChar()); },
     [](P& p, Text t) { p.SetEventChar(TextToChar(t)); }},
    {sgOthers, "DiscardNull", kText, [](const P& p) { return BoolToText(p.DiscardNull()); },
     [](P& p, Text t) { p.SetDiscardNull(TextToBool(t)); }},

    {sgParity, "Parity.Check", kText, [](const P& p) { return BoolToText(p.Parity().Check()); },
     [](P& p, Text t) { p.Parity().SetCheck(TextToBool(t)); }},
    {sgParity, "Parity.Replace", kText, [](const P& p) { return BoolToText(p.Parity().Replace()); },
     [](P& p, Text t) { p.Parity().SetReplace(TextToBool(t)); }},
    {sgParity, "Parity.ReplaceChar", kText,
     [](const P& p) { return CharToText(p.Parity().ReplaceChar()); },
     [](P& p, Text t) { p.Parity().SetReplaceChar(TextToChar(t)); }},

    {sgBuffer, "Buffer.OutputSize", kInteger,
     [](const P& p) { return Int(p.Buffer().OutputSize()); },
     [](P& p, Text t) { p.Buffer().SetOutputSize(runtime::StrToInt(t)); }},
    {sgBuffer, "Buffer.InputSize", kInteger, [](const P& p) { return Int(p.Buffer().InputSize()); },
     [](P& p, Text t) { p.Buffer().SetInputSize(runtime::StrToInt(t)); }},

    {sgTimeouts, "Timeouts.ReadInterval", kInteger,
     [](const P& p) { return Int(p.Timeouts().ReadInterval()); },
     [](P& p, Text t) { p.Timeouts().SetReadInterval(runtime::StrToInt(t)); }},
    {sgTimeouts, "Timeouts.ReadTotalConstant", kInteger,
     [](const P& p) { return Int(p.Timeouts().ReadTotalConstant()); },
     [](P& p, Text t) { p.Timeouts().SetReadTotalConstant(runtime::StrToInt(t)); }},
    {sgTimeouts, "Timeouts.ReadTotalMultiplier", kInteger,
     [](const P& p) { return Int(p.Timeouts().ReadTotalMultiplier()); },
     [](P& p, Text t) { p.Timeouts().SetReadTotalMultiplier(runtime::StrToInt(t)); }},
    {sgTimeouts, "Timeouts.WriteTotalConstant", kInteger,
     [](const P& p) { return Int(p.Timeouts().WriteTotalConstant()); },
     [](P& p, Text t) { p.Timeouts().SetWriteTotalConstant(runtime::StrToInt(t)); }},
    {sgTimeouts, "Timeouts.WriteTotalMultiplier", kInteger,
     [](const P& p) { return Int(p.Timeouts().WriteTotalMultiplier()); },
     [](P& p, Text t) { p.Timeouts().SetWriteTotalMultiplier(runtime::StrToInt(t)); }},

    {sgFlowControl, "FlowControl.ControlRTS", kText,
     [](const P& p) { return RTSControlToText(p.FlowControl().ControlRTS()); },
     [](P& p, Text t) { p.FlowControl().SetControlRTS(TextToRTSControl(t)); }},
    {sgFlowControl, "FlowControl.ControlDTR", kText,
     [](const P& p) { return DTRControlToText(p.FlowControl().ControlDTR()); },
     [](P& p, Text t) { p.FlowControl().SetControlDTR(TextToDTRControl(t)); }},
    {sgFlowControl, "FlowControl.DSRSensitivity", kText,
     [](const P& p) { return BoolToText(p.FlowControl().DSRSensitivity()); },
     [](P& p, Text t) { p.FlowControl().SetDSRSensitivity(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.OutCTSFlow", kText,
     [](const P& p) { return BoolToText(p.FlowControl().OutCTSFlow()); },
     [](P& p, Text t) { p.FlowControl().SetOutCTSFlow(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.OutDSRFlow", kText,
     [](const P& p) { return BoolToText(p.FlowControl().OutDSRFlow()); },
     [](P& p, Text t) { p.FlowControl().SetOutDSRFlow(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.TxContinueOnXoff", kText,
     [](const P& p) { return BoolToText(p.FlowControl().TxContinueOnXoff()); },
     [](P& p, Text t) { p.FlowControl().SetTxContinueOnXoff(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.XonXoffIn", kText,
     [](const P& p) { return BoolToText(p.FlowControl().XonXoffIn()); },
     [](P& p, Text t) { p.FlowControl().SetXonXoffIn(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.XonXoffOut", kText,
     [](const P& p) { return BoolToText(p.FlowControl().XonXoffOut()); },
     [](P& p, Text t) { p.FlowControl().SetXonXoffOut(TextToBool(t)); }},
    {sgFlowControl, "FlowControl.XoffChar", kText,
     [](const P& p) { return CharToText(p.FlowControl().XoffChar()); },
     [](P& p, Text t) { p.FlowControl().SetXoffChar(TextToChar(t)); }},
    {sgFlowControl, "FlowControl.XonChar", kText,
     [](const P& p) { return CharToText(p.FlowControl().XonChar()); },
     [](P& p, Text t) { p.FlowControl().SetXonChar(TextToChar(t)); }},
}};

}  // namespace

void ForEachStoredSetting(TCustomComPort& port,
                          const std::function<void(const StoredSetting&)>& visit) {
  const TStoredGroups groups = port.StoredGroups();
  for (const StoredSetting& setting : kStoredSettings) {
    if (!groups.Contains(setting.group)) continue;
    if (setting.name == "CustomBaudRate" && port.BaudRate() != brCustom) continue;
    visit(setting);
  }
}

}  // namespace comport
