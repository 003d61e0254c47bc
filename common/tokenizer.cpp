#include "common/tokenizer.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

#include "common/io_error.h"

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

NumberTokenizer::NumberTokenizer(std::string text, std::string name) : text_(std::move(text)), name_(std::move(name)) {}

std::string_view NumberTokenizer::nextToken() {
  while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 32) ++pos_;
  std::size_t start = pos_;
  while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > 32) ++pos_;
  return std::string_view(text_).substr(start, pos_ - start);
}

long double NumberTokenizer::readReal() {
  std::string_view t = nextToken();
  if (t.empty()) return 0.0L;
  long double v = 0;
  if (!ParseReal(t, v)) throw IoError(kInvalidNumeric, name_ + ", line " + std::to_string(lineNumber()) + ": \"" + std::string(t.substr(0, 40)) + "\"");
  return v;
}

std::int64_t NumberTokenizer::readInteger() {
  std::string_view t = nextToken();
  if (t.empty()) return 0;
  std::int64_t v = 0;
  if (!ParseInteger(t, v)) throw IoError(kInvalidNumeric, name_ + ", line " + std::to_string(lineNumber()) + ": \"" + std::string(t.substr(0, 40)) + "\"");
  return v;
}

void NumberTokenizer::skipLine() {
  while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string NumberTokenizer::readLine() {
  std::size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
  std::string line = text_.substr(start, pos_ - start);
  skipLine();
  return line;
}

char NumberTokenizer::readChar() {
  if (eof()) return '\0';
  return text_[pos_++];
}

std::size_t NumberTokenizer::lineNumber() const {
  std::size_t end = std::min(pos_, text_.size());
  return 1 + static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

}  // namespace kv
