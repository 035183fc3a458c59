#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <vector>

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

// Win32 codes as Windows documents them (winerror.h), not as the layer names them, so a
// wrong constant fails as surely as a wrong row.
TEST(Win32Errors, ErrnoMapsToTheCodesWindowsGivesForTheSameFailure) {
  struct Row {
    DWORD code;
    std::vector<int> errnos;
  };
  const Row rows[] = {
      {0, {0}},                                                 // ERROR_SUCCESS
      {1, {ENOTTY}},                                            // ERROR_INVALID_FUNCTION
      {2, {ENOENT, ENXIO, ENODEV}},                             // ERROR_FILE_NOT_FOUND
      {3, {ENOTDIR, ENAMETOOLONG}},                             // ERROR_PATH_NOT_FOUND
      {5, {EACCES, EPERM, EBUSY, EWOULDBLOCK, EROFS, EISDIR}},  // ERROR_ACCESS_DENIED
      {6, {EBADF}},                                             // ERROR_INVALID_HANDLE
      {8, {ENOMEM}},                                            // ERROR_NOT_ENOUGH_MEMORY
      {31, {EIO, EPIPE, EXDEV /* anything unlisted */}},        // ERROR_GEN_FAILURE
      {50, {EOPNOTSUPP, ENOSYS}},                               // ERROR_NOT_SUPPORTED
      {87, {EINVAL, ERANGE}},                                   // ERROR_INVALID_PARAMETER
      {995, {ECANCELED}},                                       // ERROR_OPERATION_ABORTED
  };
  for (const Row& row : rows) {
    for (const int err : row.errnos) EXPECT_EQ(Win32ErrorFromErrno(err), row.code) << err;
  }
  // Reported by the transfers themselves, not through errno.
  EXPECT_EQ(ERROR_IO_INCOMPLETE, 996u);
  EXPECT_EQ(ERROR_IO_PENDING, 997u);
}

}  // namespace
}  // namespace platform
