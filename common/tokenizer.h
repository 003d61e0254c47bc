#pragma once
// The number reader of the settings and processing files: characters with
// codes 0..32 before a number are skipped, a number ends at the next blank,
// tab or line end, "." is always the decimal separator, a token that does not
// convert is I/O error 106, and at end of file a missing number reads as 0.
// A NUL or another control byte standing alone between numbers is a blank;
// one that touches a number's characters belongs to that number and makes it
// malformed, so it never splits "472.15" silently into two numbers. Trailing
// bytes 0..32 at the end of the text are no content: a file padded with NULs
// or closed by Ctrl+Z reads as its data.
//
// Lines end at LF (CR LF, or LF alone); a CR not followed by LF is a blank
// inside its line. A text without any LF has old CR-only line ends: there a
// CR ends the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

class NumberTokenizer {
 public:
  // The runtime converted at most this many characters of one number.
  static constexpr std::size_t kRealChars = 64;
  static constexpr std::size_t kIntegerChars = 32;

  // Reads `text` in place: it must outlive the tokenizer. `name` is used in
  // error messages only.
  explicit NumberTokenizer(std::string_view text, std::string name = {});

  // Next token (empty at end of file), skipping separators first.
  std::string_view nextToken();
  long double readReal();       // 0 at end of file; IoError 106 when malformed
  // readReal stored to float32; a value that does not fit is an FpError.
  float readF32();
  std::int64_t readInteger();   // 0 at end of file; IoError 106 when malformed or out of 32-bit range
  // Skips the rest of the current line, its line end included.
  void skipLine();
  // Reads the rest of the current line (without its line end and the CRs
  // before it) and moves past it.
  std::string readLine();
  bool eof() const { return pos_ >= text_.size(); }
  // Only bytes 0..32 remain from the cursor on.
  bool atContentEnd() const { return pos_ >= contentEnd_; }
  // One character at the cursor ('\0' at end of file) and advance past it.
  char readChar();
  char peekChar() const { return eof() ? '\0' : text_[pos_]; }
  // 1-based line of the cursor, for messages.
  std::size_t lineNumber() const;
  std::size_t position() const { return pos_; }
  const std::string& name() const { return name_; }
  // "name, line N", for messages.
  std::string where() const;

 private:
  [[noreturn]] void throwBadNumber(std::string_view token) const;
  // Moves to the first byte of the next token; false at the end of the content.
  bool skipToToken();

  std::string_view text_;
  std::string name_;
  std::size_t pos_ = 0;
  std::size_t contentEnd_ = 0;  // start of the trailing run of bytes 0..32
  char lineEnd_ = '\n';         // '\r' in a text without any LF
};

// Converts one token with "." as separator, whatever the process locale.
// Returns false when the whole token is not a decimal number.
bool ParseReal(std::string_view token, long double& out);
bool ParseInteger(std::string_view token, std::int64_t& out);

}  // namespace kv
