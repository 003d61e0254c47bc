#pragma once
// What the main window's memo shows of a settings or processing file: the
// whole file when it is of a size a text window can hold, otherwise its
// beginning; a line too long to lay out is shown cut. Only what is shown is
// read, so a file of any size opens in about the memory of the limit. The
// run itself always reads the whole file.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

struct MemoLimits {
  std::size_t bytes = std::size_t{8} << 20;  // file bytes shown at most
  std::size_t lineBytes = 4096;              // bytes of one line shown at most
};

struct MemoExcerpt {
  std::string bytes;          // the file's bytes as shown (code page 1251)
  std::uint64_t fileSize = 0;
  bool cutAtEnd = false;      // the file goes on beyond `bytes`
  bool linesCut = false;      // at least one line is shown cut
  bool crlf = false;          // the shown part ends its lines with CR LF
  bool partial() const { return cutAtEnd || linesCut; }
};

// Reads what the memo shows of `path`; throws IoError.
MemoExcerpt ReadMemoExcerpt(const std::string& path, const MemoLimits& limits = {});

// The Russian lines that close a partial excerpt in the memo (UTF-8).
std::string MemoPartialNotice(const MemoExcerpt& e, const MemoLimits& limits);

}  // namespace kv
