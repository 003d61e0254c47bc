#include "common/io_error.h"

#include <cerrno>

namespace kv {

std::string IoErrorText(int code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 102: return "File not assigned";
    case 103: return "File not open";
    case 104: return "File not open for input";
    case 105: return "File not open for output";
    case 106: return "Invalid numeric format";
    default: return "I/O error " + std::to_string(code);
  }
}

int IoCodeFromErrno(int err) {
  switch (err) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kAccessDenied;
    case ENOSPC: return kDiskFull;
    default: return kAccessDenied;
  }
}

IoError::IoError(int code, const std::string& detail)
    : std::runtime_error(detail.empty() ? IoErrorText(code) : IoErrorText(code) + ": " + detail),
      code_(code) {}

}  // namespace kv
