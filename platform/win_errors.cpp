#include "platform/win_errors.h"

#include <cerrno>

namespace platform {
namespace {

// The one errno -> Win32 mapping of the layer. Windows reports a missing COM
// port as "file not found" and a port in use as "access denied" (not "sharing
// violation"), so busy, locked and forbidden all become 5. A device that
// stopped answering (EIO, hang-up) is reported as ERROR_GEN_FAILURE, one fixed
// choice among the codes Windows drivers give for a pulled adapter.
struct ErrnoToWin32 {
  int err;
  DWORD code;
};
constexpr ErrnoToWin32 kErrnoTable[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENXIO, ERROR_FILE_NOT_FOUND},
    {ENODEV, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ENAMETOOLONG, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EBUSY, ERROR_ACCESS_DENIED},
    {EWOULDBLOCK, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EBADF, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ERANGE, ERROR_INVALID_PARAMETER},
    {ENOTTY, ERROR_INVALID_FUNCTION},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {ECANCELED, ERROR_OPERATION_ABORTED},
    {EIO, ERROR_GEN_FAILURE},
    {EPIPE, ERROR_GEN_FAILURE},
};

}  // namespace

DWORD Win32ErrorFromErrno(int err) {
  for (const ErrnoToWin32& row : kErrnoTable) {
    if (row.err == err) return row.code;
  }
  return ERROR_GEN_FAILURE;
}

}  // namespace platform
