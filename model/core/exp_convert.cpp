#include "model/core/exp_convert.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "common/io_error.h"
#include "common/tokenizer.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"

namespace kv {

namespace {

constexpr std::size_t kHeaderLines = 7;
constexpr std::size_t kNumbersPerLine = 5;
constexpr std::size_t kTextWidth = 10;  // characters of one written number
constexpr std::size_t kMaxLeadingZeros = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// The sign, skipped and separator places take any character of text; a NUL
// or another control byte there means a damaged line, not a blank.
bool IsTextChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 32 && b != 127) || c == '\t';
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// One number at `pos`: sign character, one skipped character, mantissa digits
// up to "E", exponent sign, two exponent digits. `pos` moves past the number
// and, when present, its separator.
bool ParseNumber(std::string_view line, std::size_t& pos, std::string& text) {
  if (pos + 2 > line.size() || !IsTextChar(line[pos]) || !IsTextChar(line[pos + 1])) return false;
  bool negative = line[pos] == '-';
  std::size_t mantStart = pos + 2;
  std::size_t e = line.find('E', mantStart);
  if (e == std::string_view::npos) return false;
  std::string_view mantissa = line.substr(mantStart, e - mantStart);
  if (mantissa.empty() || !std::all_of(mantissa.begin(), mantissa.end(), IsDigit)) return false;
  if (e + 4 > line.size()) return false;  // sign and two digits
  bool expNegative = line[e + 1] == '-';
  if (!IsTextChar(line[e + 1]) || !IsDigit(line[e + 2]) || !IsDigit(line[e + 3])) return false;
  if (e + 4 < line.size() && !IsTextChar(line[e + 4])) return false;
  int exponent = (line[e + 2] - '0') * 10 + (line[e + 3] - '0');
  text = ExpNumberText(negative, mantissa, expNegative, exponent);
  pos = std::min(e + 5, line.size());
  return true;
}

void Warn(DatMod1& d, const std::string& text) {
  if (d.ui) d.ui->Warning(text);
}

}  // namespace

std::string ExpOutputName(std::string_view inputName) {
  std::size_t dot = inputName.find('.');
  std::string_view head = inputName.substr(0, dot);  // whole name without a dot
  std::size_t sep = head.find_last_of("\\/");
  std::string_view base = sep == std::string_view::npos ? head : head.substr(sep + 1);
  if (dot == std::string_view::npos) base = {};  // a name without a dot gives ".txt"
  return std::string(base) + ".txt";
}

std::string ExpNumberText(bool negative, std::string_view mantissa, bool exponentNegative, int exponent) {
  std::string m(mantissa.substr(0, kTextWidth));
  const std::size_t b = static_cast<std::size_t>(std::max(exponent, 0));
  std::size_t limit = kTextWidth;
  std::string t;
  if (b == 0) {
    t = "0." + m;
  } else if (exponentNegative) {
    // Beyond eight zeros no digit fits in ten characters: the value is 0 to
    // the eight decimals written.
    t = "0." + std::string(std::min(b, kMaxLeadingZeros), '0') + m;
  } else {
    // Digits before the point, padded with zeros when the exponent is longer
    // than the mantissa; the integer part is never cut.
    std::string intPart = m.substr(0, std::min(b, m.size()));
    if (b > m.size()) intPart.append(b - m.size(), '0');
    t = intPart + "." + (b < m.size() ? m.substr(b) : std::string());
    limit = std::max(kTextWidth, b + (negative ? 1 : 0));
  }
  if (t.size() > limit) t.resize(limit);
  if (negative) {
    t.insert(t.begin(), '-');
    if (t.size() > limit) t.resize(limit);
  }
  return t;
}

bool ConvertExpLine(std::string_view line, std::string& out) {
  std::string result;
  std::size_t pos = 0;
  for (std::size_t k = 0; k < kNumbersPerLine; ++k) {
    // Every number but the last needs its separator before the next one.
    if (k > 0 && pos == line.size()) return false;
    std::string text;
    if (!ParseNumber(line, pos, text)) return false;
    result += "  ";
    result += text;
  }
  out = std::move(result);
  return true;
}

bool ConvertExpStream(std::string_view input, const std::function<void(std::string_view)>& sink,
                      std::size_t* badLine) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::string out;
  std::size_t lineNo = 0;
  NumberTokenizer lines(input);  // its lines end at LF (CR only in a file without any LF)
  std::string converted;
  while (!lines.eof()) {
    const std::string line = lines.readLine();
    ++lineNo;
    if (lineNo <= kHeaderLines || IsBlankLine(line)) continue;
    if (!ConvertExpLine(line, converted)) {
      if (badLine) *badLine = lineNo;
      return false;
    }
    out += converted;
    out += '\n';
    if (out.size() >= kPiece) {
      sink(out);
      out.clear();
    }
  }
  if (!out.empty()) sink(out);
  return true;
}

bool ConvertExpText(std::string_view input, std::string& output, std::size_t* badLine) {
  std::string out;
  if (!ConvertExpStream(input, [&out](std::string_view piece) { out += piece; }, badLine)) return false;
  output = std::move(out);
  return true;
}

bool ConvertExpFile(DatMod1& d, std::string* outputPath) {
  const std::string name = d.ShortFileName;
  std::string input;
  {
    RtlFile in;
    int code = in.tryReset(name);
    if (code != 0) {
      // Codes 2..5 have the fixed texts and become the last open-failure
      // warning; any other is shown with the runtime's text.
      std::string text = OpenFailureMessage(code, name, 0);
      if (code >= kFileNotFound && code <= kAccessDenied) d.IoMessage = text;
      Warn(d, text);
      return false;
    }
    try {
      in.readAllInto(input);
    } catch (const IoError&) {
      Warn(d, IoError(kAccessDenied, name).what());
      return false;
    }
  }

  const std::string outName = ExpOutputName(name);
  std::error_code same;
  if (std::filesystem::equivalent(outName, name, same)) {
    // The converted text would replace the export itself.
    Warn(d, "Файл " + name + " не преобразован: результат записался бы поверх него под именем " + outName +
                ". Переименуйте исходный файл.");
    return false;
  }
  try {
    // Written under a temporary name piece by piece as the lines convert, and
    // renamed over an existing file only when every line converted: a failed
    // conversion or write leaves the old file as it was.
    AtomicFile out(outName);
    std::size_t badLine = 0;
    if (!ConvertExpStream(input, [&out](std::string_view piece) { out.write(piece.data(), piece.size()); },
                          &badLine)) {
      Warn(d, "Файл " + name + ": неверный формат чисел в строке " + std::to_string(badLine));
      return false;
    }
    out.commit();
  } catch (const IoError& e) {
    Warn(d, e.what());
    return false;
  }
  d.BaseName = outName;
  if (outputPath) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(outName, ec);
    *outputPath = ec ? outName : full.lexically_normal().string();
  }
  return true;
}

}  // namespace kv
