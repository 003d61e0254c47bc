#include "common/codepage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace kv {

namespace {

// Unconvertible input becomes '?', so a damaged name never stops a reader.
std::string Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv: no conversion ") + from + " -> " + to);
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0) {
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: replace one byte and go on.
    if (dstLeft < 1) {
      size_t used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = out.size() - used;
    }
    *dst++ = '?';
    --dstLeft;
    ++src;
    --srcLeft;
    if (std::string_view(from) == "UTF-8") {
      // Skip the continuation bytes of the unconvertible character.
      while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
        ++src;
        --srcLeft;
      }
    }
  }
  out.resize(dst - out.data());
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) { return Convert("UTF-8", "CP1251", bytes); }
std::string Utf8ToCp1251(std::string_view utf8) { return Convert("CP1251", "UTF-8", utf8); }
std::string Cp866ToUtf8(std::string_view bytes) { return Convert("UTF-8", "CP866", bytes); }
std::string Utf8ToCp866(std::string_view utf8) { return Convert("CP866", "UTF-8", utf8); }

std::string OemFieldToUtf8(std::string_view field, std::size_t maxChars) {
  std::size_t n = field.find('\0');
  if (n == std::string_view::npos) n = field.size();
  if (n > maxChars) n = maxChars;
  return Cp866ToUtf8(field.substr(0, n));
}

}  // namespace kv
