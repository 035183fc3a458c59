#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace reader {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRejected = 1;    // --decode: the frame was not accepted as a reply
inline constexpr int kExitNoReadings = 1;  // a poll went unanswered or got an exception reply
inline constexpr int kExitUsage = 2;       // the arguments cannot be used
inline constexpr int kExitPortError = 3;   // the port cannot be opened or failed
inline constexpr int kExitOutputLost = 4;  // the output could not be written
inline constexpr int kExitPublishRefused = 5;  // the broker refused us at the start

// The whole of vlk240-read: `args` are the arguments after the program name.
// Results go to `out`, messages and usage errors to `err`; returns the exit
// status. `out` is checked after every record it gets.
int RunReader(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace reader
