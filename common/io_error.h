#pragma once
// Input/output errors carried with the runtime's numeric codes and texts, so
// messages and tests speak of "File not found" (2) as users of the program did.
#include <stdexcept>
#include <string>

namespace kv {

enum IoCode : int {
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kReadBeyondEof = 100,
  kDiskFull = 101,
  kFileNotOpen = 103,
  kInvalidNumeric = 106,
};

// The runtime's text for an I/O error code ("File not found" for 2).
std::string IoErrorText(int code);

// Maps an errno value of a failed open/create to the runtime code (2, 3, 4, 5).
int IoCodeFromErrno(int err);

class IoError : public std::runtime_error {
 public:
  explicit IoError(int code, const std::string& detail = {});
  // An error of `code` whose message is `message` as it stands, for the
  // failures the program explains in its own words.
  static IoError WithMessage(int code, const std::string& message) { return IoError(Whole{}, code, message); }
  int code() const noexcept { return code_; }
  // The runtime text alone, without detail.
  std::string text() const { return IoErrorText(code_); }

 private:
  struct Whole {};
  IoError(Whole, int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code_;
};

// A floating-point fault (division by zero, invalid operation, overflow) that
// ends a model run.
class FpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kv
