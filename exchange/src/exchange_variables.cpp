#include "exchange/EMUL_Functions.h"

namespace EMUL_Functions {

FrameBuffer TX_BUF{};
FrameBuffer RX_BUF{};
std::int32_t TX_LEN = 0;
std::int32_t RX_LEN = 0;
std::int32_t DEV_ADDR = 0;
std::int32_t DEV_FUNC = 0;
std::atomic<std::int32_t> RX_STATE{RX_NONE};
std::string RX_TEXT;

}  // namespace EMUL_Functions
