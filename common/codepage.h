#pragma once
// Code-page conversion through glibc iconv: the user-interface texts of the
// original were code page 1251, texts stored in data files are OEM 866.
#include <string>
#include <string_view>

namespace kv {

std::string Cp1251ToUtf8(std::string_view bytes);
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp866ToUtf8(std::string_view bytes);
std::string Utf8ToCp866(std::string_view utf8);

// A stored OEM text shown to the user: cut at its first NUL and at `maxChars`
// bytes, then converted from code page 866.
std::string OemFieldToUtf8(std::string_view field, std::size_t maxChars);

}  // namespace kv
