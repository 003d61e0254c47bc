// Writes a processing file as an exponent-format export (*.exp), the form in
// which a transient may come from the calculation programs: seven header
// lines, then per sample five numbers laid out as " .12500000E+02 ".
// Usage: make_exp <processing file> <export file>
#include <cstdio>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/rtl_file.h"
#include "common/tokenizer.h"

namespace {

constexpr int kDigits = 8;

// Sign character, ".", eight mantissa digits, "E", exponent sign, two digits.
std::string ExpField(long double v) {
  std::string sign = v < 0 ? "-" : " ";
  if (v < 0) v = -v;
  std::string digits(kDigits, '0');
  int exponent = 0;
  if (v != 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kDigits - 1, v);  // d.dddddddde+XX
    std::string s(buf);
    std::size_t e = s.find('e');
    digits = s.substr(0, 1) + s.substr(2, e - 2);
    exponent = std::stoi(s.substr(e + 1)) + 1;
  }
  if (exponent > 99 || exponent < -99) throw std::runtime_error("value out of the export's range");
  char exp[8];
  std::snprintf(exp, sizeof exp, "%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
  return sign + "." + digits + "E" + exp;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <processing file> <export file>\n", argv[0]);
    return 2;
  }
  try {
    std::string text = kv::ReadWholeFile(argv[1]);
    std::istringstream in(text);
    std::vector<std::string> rows;
    std::string line;
    std::size_t lineNo = 0;
    while (std::getline(in, line)) {
      ++lineNo;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '%') continue;
      std::istringstream fields(line.substr(1));  // after the marker character
      std::string row, token;
      int count = 0;
      while (count < 5 && fields >> token) {
        long double v = 0;
        if (!kv::ParseReal(token, v)) throw std::runtime_error("line " + std::to_string(lineNo) + ": bad number " + token);
        row += ExpField(v) + " ";
        ++count;
      }
      if (count == 0) continue;
      if (count < 5) throw std::runtime_error("line " + std::to_string(lineNo) + ": fewer than five numbers");
      rows.push_back(row);
    }
    std::string src = argv[1];
    std::size_t slash = src.find_last_of('/');
    std::string out;
    out += " EXPONENT FORMAT EXPORT OF A TRANSIENT\r\n";
    out += " SOURCE " + (slash == std::string::npos ? src : src.substr(slash + 1)) + "\r\n";
    out += " COLUMNS: T  U  I  P  Q\r\n";
    out += " UNITS:   S  KV KA MW MVAR\r\n";
    out += " POINTS: " + std::to_string(rows.size()) + "\r\n";
    out += " FORMAT: 5(E14.8,1X)\r\n";
    out += " ------------------------------------------------------------------------\r\n";
    for (const std::string& r : rows) out += r + "\r\n";
    kv::WriteFileAtomically(argv[2], out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_exp: %s\n", e.what());
    return 1;
  }
  return 0;
}
