#include "linux/dcb_mapping.h"

#include <termios.h>

#include "platform/win_errors.h"

namespace platform::linux_backend {
namespace {

// Receiver on, modem control lines ignored for open/read (no DCD wait), and
// DTR/RTS dropped on the last close, as Windows' driver does.
constexpr std::uint32_t kBaseCflag = CREAD | CLOCAL | HUPCL;
// Breaks stay out of the data stream; they are reported by the counters.
constexpr std::uint32_t kBaseIflag = IGNBRK;

constexpr std::uint32_t kSizeBits[] = {CS5, CS6, CS7, CS8};

DWORD DtrControl(const DCB& dcb) { return (dcb.Flags >> DCB_fDtrControlShift) & 3u; }
DWORD RtsControl(const DCB& dcb) { return (dcb.Flags >> DCB_fRtsControlShift) & 3u; }

std::uint32_t ParityBits(BYTE parity) {
  switch (parity) {
    case ODDPARITY:
      return PARENB | PARODD;
    case EVENPARITY:
      return PARENB;
    case MARKPARITY:
      return PARENB | PARODD | CMSPAR;
    case SPACEPARITY:
      return PARENB | CMSPAR;
    default:
      return 0;
  }
}

bool StopBitsValid(BYTE stop_bits, BYTE byte_size) {
  switch (stop_bits) {
    case ONESTOPBIT:
      return true;
    case ONE5STOPBITS:
      return byte_size == 5;
    case TWOSTOPBITS:
      return byte_size != 5;
    default:
      return false;
  }
}

}  // namespace

DWORD PlanLineSettings(const DCB& dcb, LinePlan* plan) {
  const DWORD dtr = DtrControl(dcb);
  const DWORD rts = RtsControl(dcb);
  const bool xon_xoff = (dcb.Flags & (DCB_fOutX | DCB_fInX)) != 0;
  if ((dcb.Flags & DCB_fBinary) == 0 || dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 ||
      dcb.Parity > SPACEPARITY || !StopBitsValid(dcb.StopBits, dcb.ByteSize) ||
      (dcb.Flags & (DCB_fOutxDsrFlow | DCB_fDsrSensitivity | DCB_fAbortOnError)) != 0 ||
      dtr == DTR_CONTROL_HANDSHAKE || dtr > DTR_CONTROL_HANDSHAKE ||
      (xon_xoff && dcb.XonChar == dcb.XoffChar)) {
    return ERROR_INVALID_PARAMETER;
  }

  LinePlan out;
  out.line.baud = dcb.BaudRate;
  out.line.cflag = kBaseCflag | kSizeBits[dcb.ByteSize - 5] | ParityBits(dcb.Parity);
  if (dcb.StopBits != ONESTOPBIT) out.line.cflag |= CSTOPB;  // 1.5 with 5 data bits
  const bool hardware_flow = (dcb.Flags & DCB_fOutxCtsFlow) != 0 || rts == RTS_CONTROL_HANDSHAKE;
  if (hardware_flow) out.line.cflag |= CRTSCTS;

  out.line.iflag = kBaseIflag;
  if ((dcb.Flags & DCB_fParity) != 0) {
    // INPCK with PARMRK marks each bad byte, so the read path can pass it on
    // unchanged or replace it, as Windows does; without PARMRK Linux would
    // turn it into NUL whatever the DCB says.
    out.line.iflag |= INPCK | PARMRK;
    out.parity_marks = true;
    out.replace_errors = (dcb.Flags & DCB_fErrorChar) != 0;
    out.error_char = static_cast<unsigned char>(dcb.ErrorChar);
  }
  if ((dcb.Flags & DCB_fOutX) != 0) out.line.iflag |= IXON;
  if ((dcb.Flags & DCB_fInX) != 0) out.line.iflag |= IXOFF;
  out.line.start_char = static_cast<unsigned char>(dcb.XonChar);
  out.line.stop_char = static_cast<unsigned char>(dcb.XoffChar);
  out.discard_nul = (dcb.Flags & DCB_fNull) != 0;

  out.dtr = dtr == DTR_CONTROL_ENABLE ? LineLevel::kHigh : LineLevel::kLow;
  if (rts == RTS_CONTROL_ENABLE) {
    out.rts = LineLevel::kHigh;
  } else if (rts == RTS_CONTROL_DISABLE) {
    out.rts = LineLevel::kLow;
  }
  out.rts_toggle = rts == RTS_CONTROL_TOGGLE;
  if (hardware_flow) out.rts = LineLevel::kLeave;
  *plan = out;
  return ERROR_SUCCESS;
}

DCB DcbFromLine(const LineSettings& line) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = line.baud;
  dcb.Flags = DCB_fBinary | (DTR_CONTROL_ENABLE << DCB_fDtrControlShift);
  if ((line.cflag & CRTSCTS) != 0) {
    dcb.Flags |= DCB_fOutxCtsFlow | (RTS_CONTROL_HANDSHAKE << DCB_fRtsControlShift);
  } else {
    dcb.Flags |= RTS_CONTROL_ENABLE << DCB_fRtsControlShift;
  }
  if ((line.iflag & INPCK) != 0) dcb.Flags |= DCB_fParity;
  if ((line.iflag & IXON) != 0) dcb.Flags |= DCB_fOutX;
  if ((line.iflag & IXOFF) != 0) dcb.Flags |= DCB_fInX;
  switch (line.cflag & CSIZE) {
    case CS5:
      dcb.ByteSize = 5;
      break;
    case CS6:
      dcb.ByteSize = 6;
      break;
    case CS7:
      dcb.ByteSize = 7;
      break;
    default:
      dcb.ByteSize = 8;
      break;
  }
  const std::uint32_t parity = line.cflag & (PARENB | PARODD | CMSPAR);
  for (BYTE p = ODDPARITY; p <= SPACEPARITY; ++p) {
    if ((line.cflag & PARENB) != 0 && ParityBits(p) == parity) dcb.Parity = p;
  }
  if ((line.cflag & CSTOPB) != 0) dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
  dcb.XonChar = static_cast<char>(line.start_char);
  dcb.XoffChar = static_cast<char>(line.stop_char);
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  return dcb;
}

LineSettings RawLine(const LineSettings& line) {
  LineSettings raw = line;
  raw.iflag = kBaseIflag | (line.iflag & (IXON | IXOFF));
  raw.oflag = 0;
  raw.lflag = 0;
  raw.cflag = (line.cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS)) | kBaseCflag;
  return raw;
}

}  // namespace platform::linux_backend
