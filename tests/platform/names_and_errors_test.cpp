#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>

#include "platform/port_names.h"
#include "platform/win_errors.h"

namespace platform {
namespace {

TEST(PortNames, ComNamesResolveToTtySUnlessOverriddenAndPathsStandAsTheyAre) {
  ::setenv("VLK240_COM2", "/dev/ttyUSB0", 1);
  ::setenv("VLK240_COM3", "", 1);  // empty: no override
  const std::pair<const char*, const char*> rows[] = {
      {"COM1", "/dev/ttyS0"},
      {"\\\\.\\COM1", "/dev/ttyS0"},
      {"com4", "/dev/ttyS3"},
      {"COM2", "/dev/ttyUSB0"},
      {"COM3", "/dev/ttyS2"},
      {"COM255", "/dev/ttyS254"},
      {"/dev/pts/7", "/dev/pts/7"},
      {"\\\\.\\/dev/ttyACM0", "/dev/ttyACM0"},
      {"COM0", ""},
      {"COM01", ""},
      {"COM256", ""},
      {"COM", ""},
      {"COM1x", ""},
      {"ttyS0", ""},
      {"", ""},
  };
  for (const auto& [name, path] : rows) EXPECT_EQ(ResolvePortName(name), path) << name;
  ::unsetenv("VLK240_COM2");
  ::unsetenv("VLK240_COM3");
}

TEST(Win32Errors, ErrnoMapsToTheCodesWindowsGivesForTheSameFailure) {
  const std::pair<int, DWORD> rows[] = {
      {ENOENT, ERROR_FILE_NOT_FOUND},    {ENXIO, ERROR_FILE_NOT_FOUND},
      {ENODEV, ERROR_FILE_NOT_FOUND},    {ENOTDIR, ERROR_PATH_NOT_FOUND},
      {EACCES, ERROR_ACCESS_DENIED},     {EPERM, ERROR_ACCESS_DENIED},
      {EBUSY, ERROR_ACCESS_DENIED},      {EWOULDBLOCK, ERROR_ACCESS_DENIED},
      {EISDIR, ERROR_ACCESS_DENIED},     {EBADF, ERROR_INVALID_HANDLE},
      {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {EINVAL, ERROR_INVALID_PARAMETER},
      {ENOTTY, ERROR_INVALID_FUNCTION},  {ECANCELED, ERROR_OPERATION_ABORTED},
      {EIO, ERROR_GEN_FAILURE},          {EPIPE, ERROR_GEN_FAILURE},
      {EXDEV, ERROR_GEN_FAILURE},  // anything unlisted
  };
  for (const auto& [err, code] : rows) EXPECT_EQ(Win32ErrorFromErrno(err), code) << err;
}

}  // namespace
}  // namespace platform
