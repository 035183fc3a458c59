// Why a serial device did not open on Linux.
#include <cerrno>

#include "form/open_failure_reason.h"

namespace form {
namespace {

constexpr std::string_view kNotFound = "Порт не найден: проверьте, что адаптер подключён.";
constexpr std::string_view kNoRight =
    "Нет прав доступа к порту: добавьте пользователя в группу dialout и войдите в систему снова.";
constexpr std::string_view kBusy =
    "Порт занят другой программой: закройте её и выберите порт снова.";
constexpr std::string_view kNotSerial = "Это не последовательный порт: выберите другой.";

// EWOULDBLOCK is another program's lock on the device; EIO at open is a serial port's name with
// no UART behind it.
constexpr OpenFailureCause kCauses[] = {
    {ENOENT, kNotFound},  {ENXIO, kNotFound},   {ENODEV, kNotFound},  {ENOTDIR, kNotFound},
    {EIO, kNotFound},     {EACCES, kNoRight},   {EPERM, kNoRight},    {EBUSY, kBusy},
    {EWOULDBLOCK, kBusy}, {ENOTTY, kNotSerial}, {EISDIR, kNotSerial},
};

}  // namespace

std::span<const OpenFailureCause> OpenFailureCauses() { return kCauses; }

}  // namespace form
