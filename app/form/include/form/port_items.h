// The four port items of the menu "СОМ Порт": caption, port name and the message shown when the
// port cannot be opened. Captions and names are Latin; "СОМ" in the messages is Cyrillic.
// After them the menu lists the other ports present, by name (ExtraPortItem).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace form {

struct PortMenuItem {
  std::string_view caption;
  std::string_view port_name;
  std::string_view open_failure;
};

inline constexpr std::array<PortMenuItem, 4> kPortItems = {{
    {"COM 1", "COM1", "Не могу открыть СОМ 1"},
    {"COM 2", "COM2", "Не могу открыть СОМ 2"},
    {"COM 3", "COM3", "Не могу открыть СОМ 3"},
    {"COM 4", "COM4", "Не могу открыть СОМ 4"},
}};

// The index of the item whose port name equals `name` exactly (case-sensitive, no blanks).
inline std::optional<std::size_t> PortItemIndex(std::string_view name) {
  for (std::size_t i = 0; i < kPortItems.size(); ++i) {
    if (kPortItems[i].port_name == name) return i;
  }
  return std::nullopt;
}

// A port present that the four items do not open: one more radio item after "COM 4".
struct ExtraPortItem {
  std::string port_name;  // opened and saved by it: "COM7", "/dev/serial/by-id/usb-..."
  std::string caption;    // "COM7 (USB Serial Port)", "FTDI FT232R A10K3XYZ"

  bool operator==(const ExtraPortItem&) const = default;
};

// The message when such a port cannot be opened: the four's, with the port's name in place of
// "СОМ n", since the name may be a device path.
inline std::string ExtraPortFailure(std::string_view port_name) {
  return "Не могу открыть " + std::string(port_name);
}

}  // namespace form
