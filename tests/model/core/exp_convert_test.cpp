// The exponent-format export converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "common/rtl_file.h"
#include "common/tokenizer.h"
#include "model/core/dat_mod1.h"
#include "model/core/exp_convert.h"
#include "runcore_fixture.h"

namespace fs = std::filesystem;
using namespace kv;

namespace {

const std::string kHeader = "h1\nh2\nh3\nh4\nh5\nh6\nh7\n";
const std::string kLine = " .125E+02  .5E+00 -.25E-01  .10E+01  .300E+02 ";
const std::string kLineOut = "  12.5  0.5  -0.025  1.0  30.0";

TEST(ExpNumberText, ListedCasesKeepTheirText) {
  const struct { bool neg; const char* m; int e; const char* want; } cases[] = {  // e: the signed exponent
      {false, "125", 2, "12.5"}, {false, "125", 0, "0.125"}, {false, "125", -1, "0.0125"},
      {false, "125", -3, "0.000125"}, {true, "125", -1, "-0.0125"}, {false, "1234567", -3, "0.00012345"},
      {true, "1234567", -3, "-0.0001234"}, {false, "125", -8, "0.00000000"}, {false, "5", 1, "5."}, {false, "123456789012", 8, "12345678.9"},
      {true, "1234567890", 8, "-12345678."}};
  for (const auto& c : cases) EXPECT_EQ(ExpNumberText(c.neg, c.m, c.e < 0, std::abs(c.e)), c.want) << c.m << " " << c.e;
  EXPECT_EQ(ExpNumberText(false, "125", true, 0), "0.125");
}

// Every exponent, 0 to 99 of either sign, gives the input's value to the
// precision of the text; zeros pad where the listed rules give no place.
TEST(ExpNumberText, ValueOfEveryExponent) {
  std::mt19937 rng(7);
  for (int b = 0; b <= 99; ++b)
    for (int len = 1; len <= 12; ++len)
      for (int sign = 0; sign < 4; ++sign) {
        std::string m(1, static_cast<char>('1' + rng() % 9));
        while (static_cast<int>(m.size()) < len) m += static_cast<char>('0' + rng() % 10);
        const bool neg = sign & 1, eneg = sign & 2;
        const std::string t = ExpNumberText(neg, m, eneg, b);
        long double got = 0;
        ASSERT_TRUE(ParseReal(t, got)) << t;
        long double want = std::strtold(("0." + m).c_str(), nullptr) * std::pow(10.0L, eneg ? -b : b) * (neg ? -1 : 1);
        EXPECT_LE(std::fabs(got - want), 1.01e-7L * std::max(1.0L, std::fabs(want))) << m << " " << b << " " << t;
      }
}

TEST(ExpText, LinesHeaderAndLayoutErrors) {
  std::string out;
  ASSERT_TRUE(ConvertExpText(kHeader, out));
  EXPECT_EQ(out, "");  // exactly seven lines
  const std::string crlf = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n" + kLine + "\r\n\r\n   \r\n" + kLine.substr(0, kLine.size() - 1);
  ASSERT_TRUE(ConvertExpText(crlf, out));  // blank lines skipped, last separator absent
  EXPECT_EQ(out, kLineOut + "\n" + kLineOut + "\n");
  // A CR not followed by LF ends no line: a header line may hold one, and CR CR LF ends a line.
  ASSERT_TRUE(ConvertExpText("1\r1\n2\n3\n4\n5\n6\n7\r\r\n" + kLine + "\r\r\n", out));
  EXPECT_EQ(out, kLineOut + "\n");
  std::size_t bad = 0;
  for (const char* line : {" .125E+02  .5E+00 -.25E-01  .10E+01 ",   // four numbers
                           " .125E+02  .5E+00 -.25E-01  .10E+01  .300E+0", " .1x5E+02  .5E+00 -.25E-01  .10E+01  .300E+02",
                           " .E+02  .5E+00 -.25E-01  .10E+01  .300E+02", " .125E+0a  .5E+00"}) {
    EXPECT_FALSE(ConvertExpText(kHeader + kLine + "\n" + line + "\n", out, &bad)) << line;
    EXPECT_EQ(bad, 9u);
  }
  // A NUL in any place of a number (sign, skipped character, mantissa,
  // exponent sign, separator) is a damaged line, never a blank.
  for (std::size_t at : {0u, 1u, 3u, 6u, 9u, 19u}) {
    std::string line = kLine;
    line[at] = '\0';
    EXPECT_FALSE(ConvertExpText(kHeader + kLine + "\n" + line + "\n", out, &bad)) << at;
    EXPECT_EQ(bad, 9u);
  }
  // Every prefix of a valid export converts or names a data line.
  std::string full = kHeader;
  for (int i = 0; i < 3; ++i) full += " .20000000E-01 -.11000000E+03  .50000000E+00  .10000000E+03 -.12500000E-03 \r\n";
  for (std::size_t n = 0; n <= full.size(); ++n)
    EXPECT_TRUE(ConvertExpText(std::string_view(full).substr(0, n), out, &bad) || bad >= 8) << n;

  std::string shipped;
  ASSERT_TRUE(ConvertExpText(ReadWholeFile(std::string(KV_SOURCE_DIR) + "/examples/async_export.exp"), shipped));
  EXPECT_EQ(std::count(shipped.begin(), shipped.end(), '\n'), 801);
}

class ExpFileTest : public runcore_test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    d.ui = &ui;
    d.BaseName = "earlier.txt";
  }
  bool Convert(const std::string& name, std::string* path = nullptr) {
    d.ShortFileName = name;
    return ConvertExpFile(d, path);
  }
  runcore_test::RecordingUi ui;
  DatMod1 d;
};

TEST_F(ExpFileTest, ConvertsBesideTheInputAndReplacesAnOlderOutput) {
  EXPECT_EQ(ExpOutputName("run.exp"), "run.txt");
  EXPECT_EQ(ExpOutputName("run"), ".txt");
  EXPECT_EQ(ExpOutputName("C:\\data\\run.exp"), "run.txt");
  Write("run.a.exp", kHeader + kLine + "\n");
  Write("run.txt", "older");
  std::string path;
  ASSERT_TRUE(Convert("run.a.exp", &path));
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_EQ(d.BaseName, "run.txt");
  EXPECT_EQ(fs::path(path), fs::current_path() / "run.txt");
  EXPECT_EQ(ReadWholeFile("run.txt"), kLineOut + "\n");
  EXPECT_EQ(ReadWholeFile("run.a.exp"), kHeader + kLine + "\n");
}

// Each failure: one message, no output, the input and BaseName unchanged.
TEST_F(ExpFileTest, FailuresWarnOnceAndWriteNothing) {
  fs::create_directory("folder.exp");
  fs::create_directory("dir.txt");
  Write("plain", "");
  Write("bad.exp", kHeader + kLine + "\n" + kLine.substr(0, 30) + "\n");
  Write("bad.txt", "old");
  Write("dir.exp", kHeader + kLine + "\n");
  Write("same.txt", kHeader + kLine + "\n");  // an export whose output name is its own
  const std::pair<const char*, const char*> cases[] = {
      {"absent.exp", "Файл absent.exp не найден"}, {"folder.exp", "Файл folder.exp не доступен"},
      {"plain/x.exp", "Ошибочное имя файла plain/x.exp"}, {"bad.exp", "строке 9"},
      {"dir.exp", "dir.txt"}, {"same.txt", "Переименуйте"}};
  for (auto [name, says] : cases) {
    ui.warnings.clear();
    EXPECT_FALSE(Convert(name)) << name;
    ASSERT_EQ(ui.warnings.size(), 1u) << name;
    EXPECT_NE(ui.warnings[0].find(says), std::string::npos) << ui.warnings[0];
    EXPECT_EQ(d.BaseName, "earlier.txt");
  }
  EXPECT_EQ(d.IoMessage, "Ошибочное имя файла plain/x.exp");  // the last open-failure text
  EXPECT_FALSE(fs::exists("absent.txt"));
  EXPECT_EQ(ReadWholeFile("bad.txt"), "old");
  EXPECT_TRUE(fs::is_directory("dir.txt"));
  EXPECT_EQ(ReadWholeFile("same.txt"), kHeader + kLine + "\n");
}

}  // namespace
