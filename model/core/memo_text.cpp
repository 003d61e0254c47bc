#include "model/core/memo_text.h"

#include <algorithm>

#include "common/rtl_file.h"

namespace kv {

namespace {

std::string SizeText(std::uint64_t n) {
  if (n < 10 * 1024) return std::to_string(n) + " байт";
  if (n < 1024 * 1024) return std::to_string((n + 512) / 1024) + " КБ";
  const std::uint64_t tenths = (n * 10 + (1 << 19)) >> 20;
  return std::to_string(tenths / 10) + (tenths % 10 ? "," + std::to_string(tenths % 10) : "") + " МБ";
}

// Cuts every line of `text` to `lineBytes`; true when one was cut.
bool CutLongLines(std::string& text, std::size_t lineBytes) {
  bool cut = false;
  std::size_t out = 0, lineStart = 0;
  for (std::size_t in = 0; in < text.size(); ++in) {
    const char c = text[in];
    if (c == '\n' || c == '\r') {
      text[out++] = c;
      lineStart = out;
    } else if (out - lineStart < lineBytes) {
      text[out++] = c;
    } else {
      cut = true;
    }
  }
  text.resize(out);
  return cut;
}

}  // namespace

MemoExcerpt ReadMemoExcerpt(const std::string& path, const MemoLimits& limits) {
  RtlFile f;
  f.reset(path);
  MemoExcerpt e;
  const std::int64_t size = f.size();
  e.fileSize = static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
  // One byte beyond the limit tells that the file goes on; a file that grew
  // since its size was taken is read on up to there.
  const std::size_t want = limits.bytes + 1;
  e.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(e.fileSize + 1, want)));
  std::size_t got = 0;
  for (;;) {
    const std::size_t n = f.readSome(e.bytes.data() + got, e.bytes.size() - got);
    got += n;
    if (n == 0 || got == want) break;
    if (got == e.bytes.size()) e.bytes.resize(std::min(want, 2 * got));
  }
  f.close();
  e.cutAtEnd = got > limits.bytes;
  e.bytes.resize(std::min(got, limits.bytes));
  e.fileSize = std::max<std::uint64_t>(e.fileSize, got);
  e.crlf = e.bytes.find("\r\n") != std::string::npos;
  e.linesCut = CutLongLines(e.bytes, limits.lineBytes);
  return e;
}

std::string MemoPartialNotice(const MemoExcerpt& e, const MemoLimits& limits) {
  // Short lines: the memo is narrow, and the notice must read without scrolling.
  std::string text = "[";
  // The amount is what the memo holds: with long lines cut, less than the limit read.
  if (e.cutAtEnd) text += "Показано только начало файла:\n " + SizeText(e.bytes.size()) + " из " + SizeText(e.fileSize) + ".\n ";
  if (e.linesCut)
    text += "Строки длиннее " + std::to_string(limits.lineBytes) + " знаков\n показаны не полностью.\n ";
  return text + "Обработка читает весь файл;\n сохранить его из этого окна нельзя.]";
}

}  // namespace kv
