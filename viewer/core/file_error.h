#pragma once
// A data file that opens and reads but cannot be what it claims to be (counts
// beyond what its records hold, a header that contradicts itself). It is an
// IoError so that every handler of file errors shows it, with a message that
// names the file and the problem.
#include <string>

#include "common/io_error.h"

namespace kv {

inline constexpr int kBadFileFormat = 1000;  // not a runtime code: our own

class FileFormatError : public IoError {
 public:
  // `code` stays kBadFileFormat unless the fault has a runtime code of its
  // own (a file shorter than its header claims: kReadBeyondEof).
  explicit FileFormatError(std::string message, int code = kBadFileFormat)
      : IoError(code), message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace kv
