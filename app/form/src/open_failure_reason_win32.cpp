// Why a COM port did not open on Windows.
#include "form/open_failure_reason.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace form {
namespace {

constexpr std::string_view kNotFound = "Порт не найден: проверьте, что адаптер подключён.";
// Windows refuses a port that another program holds open with "access denied" too.
constexpr std::string_view kBusyOrNoRight =
    "Порт занят другой программой или нет прав доступа: закройте программу, которая работает с "
    "портом.";

constexpr OpenFailureCause kCauses[] = {
    {ERROR_FILE_NOT_FOUND, kNotFound},     {ERROR_PATH_NOT_FOUND, kNotFound},
    {ERROR_NOT_READY, kNotFound},          {ERROR_DEVICE_NOT_CONNECTED, kNotFound},
    {ERROR_ACCESS_DENIED, kBusyOrNoRight}, {ERROR_SHARING_VIOLATION, kBusyOrNoRight},
};

}  // namespace

std::span<const OpenFailureCause> OpenFailureCauses() { return kCauses; }

}  // namespace form
