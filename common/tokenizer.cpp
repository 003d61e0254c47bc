#include "common/tokenizer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

#include "common/io_error.h"
#include "common/xfloat.h"

namespace kv {

namespace {

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Decimal forms only: sign, digits, optional point and digits, optional exponent.
bool IsDecimalForm(std::string_view t) {
  std::size_t i = 0, n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t ed = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++ed;
    if (ed == 0) return false;
  }
  return i == n;
}

// Plain decimals with at most 18 significant digits, read from `q` on: the
// digits as an exact integer and one exact power of ten give one correctly
// rounded operation, the same value the general conversion gives, several
// times faster. On success `q` is left after the number; false sends the
// token to the general conversion.
constexpr auto kPow10 = [] {
  std::array<long double, 28> p{};  // exact in extended precision (5^27 < 2^64)
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

constexpr bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
// What separates numbers: blank, tab, line ends, vertical tab, form feed.
constexpr bool IsSeparator(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool IsLowCode(char c) { return static_cast<unsigned char>(c) <= 32; }

// A token as it may be shown in a message: control bytes as \xNN.
std::string Printable(std::string_view token) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : token) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b == 127) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool FastDecimal(const char*& q, const char* end, long double& out) {
  const char* s = q;
  bool neg = false;
  if (s < end && (*s == '+' || *s == '-')) neg = *s++ == '-';
  const char* const digitsFrom = s;
  while (s < end && *s == '0') ++s;  // leading zeros carry no digit
  std::uint64_t m = 0;
  const char* const intFrom = s;
  while (s < end && IsDigit(*s)) m = m * 10 + static_cast<unsigned>(*s++ - '0');
  std::ptrdiff_t sig = s - intFrom;
  bool anyDigit = s > digitsFrom;
  std::ptrdiff_t frac = 0;
  if (s < end && *s == '.') {
    const char* const fracFrom = ++s;
    if (sig == 0)
      while (s < end && *s == '0') ++s;  // 0.00123: these zeros only scale
    const char* const sigFrom = s;
    while (s < end && IsDigit(*s)) m = m * 10 + static_cast<unsigned>(*s++ - '0');
    sig += s - sigFrom;
    frac = s - fracFrom;
    anyDigit = anyDigit || frac > 0;
  }
  if (!anyDigit || sig > 18) return false;  // 18 digits: m < 2^63, nothing wrapped
  int exp10 = 0;
  if (s < end && (*s == 'e' || *s == 'E')) {
    ++s;
    bool eneg = false;
    if (s < end && (*s == '+' || *s == '-')) eneg = *s++ == '-';
    const char* const expFrom = s;
    while (s < end && IsDigit(*s) && s - expFrom < 5) exp10 = exp10 * 10 + (*s++ - '0');
    if (s == expFrom || s - expFrom > 4) return false;
    if (eneg) exp10 = -exp10;
  }
  const std::ptrdiff_t k = frac - exp10;  // value = m / 10^k
  const long double mx = static_cast<long double>(static_cast<std::int64_t>(m));
  long double v;
  if (m == 0)
    v = 0;
  else if (k >= 0 && k < 28)
    v = mx / kPow10[static_cast<std::size_t>(k)];
  else if (k < 0 && k > -28)
    v = mx * kPow10[static_cast<std::size_t>(-k)];
  else
    return false;
  out = neg ? -v : v;
  q = s;
  return true;
}

}  // namespace

bool ParseReal(std::string_view token, long double& out) {
  if (!IsDecimalForm(token)) return false;
  std::string s(token);
  char* end = nullptr;
  long double v = strtold_l(s.c_str(), &end, CLocale());
  if (end != s.c_str() + s.size()) return false;
  if (v == std::numeric_limits<long double>::infinity() || v == -std::numeric_limits<long double>::infinity()) return false;
  out = v;
  return true;
}

bool ParseInteger(std::string_view token, std::int64_t& out) {
  std::size_t i = 0, n = token.size();
  bool neg = false;
  if (i < n && (token[i] == '+' || token[i] == '-')) neg = token[i++] == '-';
  if (i == n) return false;
  std::int64_t v = 0;
  for (; i < n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(token[i]))) return false;
    v = v * 10 + (token[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  out = v;
  return true;
}

NumberTokenizer::NumberTokenizer(std::string_view text, std::string name)
    : text_(text), name_(std::move(name)), contentEnd_(text.size()) {
  while (contentEnd_ > 0 && IsLowCode(text_[contentEnd_ - 1])) --contentEnd_;
  if (text_.find('\n') == std::string_view::npos) lineEnd_ = '\r';
}

bool NumberTokenizer::skipToToken() {
  for (;;) {
    while (pos_ < contentEnd_ && IsSeparator(text_[pos_])) ++pos_;
    if (pos_ < contentEnd_ && !IsLowCode(text_[pos_])) return true;
    if (pos_ >= contentEnd_) {
      pos_ = text_.size();
      return false;
    }
    // Control bytes: blank when they stand alone (the content ends with a
    // byte above 32, so the run always ends before the content does).
    std::size_t e = pos_;
    while (IsLowCode(text_[e]) && !IsSeparator(text_[e])) ++e;
    if (!IsSeparator(text_[e])) return true;  // glued to the characters that follow
    pos_ = e;
  }
}

std::string_view NumberTokenizer::nextToken() {
  if (!skipToToken()) return {};
  std::size_t start = pos_;
  while (pos_ < contentEnd_ && !IsSeparator(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::string NumberTokenizer::where() const { return name_ + ", line " + std::to_string(lineNumber()); }

void NumberTokenizer::throwBadNumber(std::string_view token) const {
  throw IoError(kInvalidNumeric, where() + ": \"" + Printable(token.substr(0, 40)) + "\"");
}

long double NumberTokenizer::readReal() {
  while (pos_ < contentEnd_ && IsSeparator(text_[pos_])) ++pos_;
  if (pos_ >= contentEnd_ || IsLowCode(text_[pos_])) [[unlikely]]
    if (!skipToToken()) return 0.0L;
  const char* const start = text_.data() + pos_;
  const char* const end = text_.data() + contentEnd_;
  const char* q = start;
  long double v = 0;
  if (FastDecimal(q, end, v) && (q == end || IsSeparator(*q)) && static_cast<std::size_t>(q - start) <= kRealChars) {
    pos_ += static_cast<std::size_t>(q - start);
    return v;
  }
  const std::string_view t = nextToken().substr(0, kRealChars);
  if (!ParseReal(t, v)) throwBadNumber(t);
  return v;
}

float NumberTokenizer::readF32() {
  const long double v = readReal();
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) [[unlikely]]
    return StoreF32(v, where().c_str());  // throws: the value does not fit float32
  return f;
}

std::int64_t NumberTokenizer::readInteger() {
  const std::string_view t = nextToken().substr(0, kIntegerChars);
  if (t.empty()) return 0;
  std::int64_t v = 0;
  if (!ParseInteger(t, v)) throwBadNumber(t);
  return v;
}

void NumberTokenizer::skipLine() {
  // A plain loop: the rest of a line is mostly its line end alone.
  while (pos_ < text_.size() && text_[pos_] != lineEnd_) ++pos_;
  if (pos_ < text_.size()) ++pos_;
}

std::string NumberTokenizer::readLine() {
  const std::size_t start = pos_;
  std::size_t e = std::min(text_.find(lineEnd_, pos_), text_.size());
  pos_ = e == text_.size() ? e : e + 1;
  while (e > start && text_[e - 1] == '\r') --e;
  return std::string(text_.substr(start, e - start));
}

char NumberTokenizer::readChar() {
  if (eof()) return '\0';
  return text_[pos_++];
}

std::size_t NumberTokenizer::lineNumber() const {
  std::size_t end = std::min(pos_, text_.size());
  return 1 + static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(end), lineEnd_));
}

}  // namespace kv
