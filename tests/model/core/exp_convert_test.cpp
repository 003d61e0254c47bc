#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/rtl_file.h"
#include "common/tokenizer.h"
#include "model/core/dat_mod1.h"
#include "model/core/exp_convert.h"

namespace fs = std::filesystem;
using namespace kv;

namespace {

const std::string kHeader = "h1\nh2\nh3\nh4\nh5\nh6\nh7\n";
// The five numbers 12.5, 0.5, -0.025, 1.0 and 30.0, each followed by a blank.
const std::string kLine = " .125E+02  .5E+00 -.25E-01  .10E+01  .300E+02 ";
const std::string kLineOut = "  12.5  0.5  -0.025  1.0  30.0";

std::string Text(bool neg, const char* m, bool eneg, int e) { return ExpNumberText(neg, m, eneg, e); }

class RecordingUi : public ModelUi {
 public:
  void Warning(const std::string& text) override { warnings.push_back(text); }
  std::vector<std::string> warnings;
};

class ExpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "expconv-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    d.ui = &ui;
    d.BaseName = "earlier.txt";
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static void Write(const std::string& name, const std::string& text) {
    std::ofstream f(name, std::ios::binary);
    f << text;
  }
  bool Convert(const std::string& name, std::string* path = nullptr) {
    d.ShortFileName = name;
    return ConvertExpFile(d, path);
  }
  fs::path old_, dir_;
  RecordingUi ui;
  DatMod1 d;
};

TEST(ExpNumberText, ListedCasesKeepTheirText) {
  EXPECT_EQ(Text(false, "125", false, 2), "12.5");
  EXPECT_EQ(Text(false, "125", false, 0), "0.125");
  EXPECT_EQ(Text(false, "125", true, 0), "0.125");
  EXPECT_EQ(Text(false, "125", true, 1), "0.0125");
  EXPECT_EQ(Text(false, "125", true, 3), "0.000125");
  EXPECT_EQ(Text(true, "125", true, 1), "-0.0125");
  EXPECT_EQ(Text(false, "1234567", true, 3), "0.00012345");  // five digits survive
  EXPECT_EQ(Text(true, "1234567", true, 3), "-0.0001234");   // and four when negative
  EXPECT_EQ(Text(false, "125", true, 8), "0.00000000");
  EXPECT_EQ(Text(false, "125", true, 14), "0.00000000");
  EXPECT_EQ(Text(false, "10", false, 1), "1.0");
  EXPECT_EQ(Text(false, "5", false, 1), "5.");
  EXPECT_EQ(Text(false, "123456789012", false, 8), "12345678.9");  // mantissa cut to 10 first
  EXPECT_EQ(Text(true, "1234567890", false, 8), "-12345678.");
  EXPECT_EQ(Text(true, "1234567890", false, 3), "-123.45678");
}

TEST(ExpNumberText, MagnitudesBeyondTheRulesKeepTheirValue) {
  EXPECT_EQ(Text(false, "5", false, 3), "500.");
  EXPECT_EQ(Text(true, "125", false, 5), "-12500.");
  EXPECT_EQ(Text(false, "1234567890", false, 9), "123456789.");
  EXPECT_EQ(Text(false, "1234567890", false, 10), "1234567890");
  EXPECT_EQ(Text(true, "1234567890", false, 9), "-123456789");
  EXPECT_EQ(Text(false, "1", false, 15), "100000000000000");
  EXPECT_EQ(Text(false, "125", true, 15), "0.00000000");
  EXPECT_EQ(Text(true, "125", true, 99), "-0.0000000");
}

// Every exponent gives the input's value to the precision of the text.
TEST(ExpNumberText, ValueSweep) {
  std::mt19937 rng(7);
  for (int b = 0; b <= 99; ++b)
    for (int len = 1; len <= 12; ++len)
      for (int sign = 0; sign < 4; ++sign) {
        std::string m;
        for (int i = 0; i < len; ++i) m += static_cast<char>('0' + (i == 0 ? 1 + rng() % 9 : rng() % 10));
        bool neg = sign & 1, eneg = sign & 2;
        std::string t = ExpNumberText(neg, m, eneg, b);
        long double got = 0;
        ASSERT_TRUE(ParseReal(t, got)) << t;
        long double want = std::strtold(("0." + m).c_str(), nullptr) * std::pow(10.0L, eneg ? -b : b);
        if (neg) want = -want;
        long double tol = 1.01e-7L * std::max(1.0L, std::fabs(want));
        EXPECT_LE(std::fabs(got - want), tol) << m << (eneg ? "E-" : "E+") << b << " -> " << t;
        if (b <= 8 || eneg) {
          EXPECT_LE(t.size(), 10u) << t;
        }
      }
}

TEST(ExpLine, ExampleLineAndLayoutErrors) {
  std::string out;
  ASSERT_TRUE(ConvertExpLine(kLine, out));
  EXPECT_EQ(out, kLineOut);
  ASSERT_TRUE(ConvertExpLine(" .125E+02  .5E+00 -.25E-01  .10E+01  .300E+02", out));  // last separator absent
  EXPECT_EQ(out, kLineOut);
  ASSERT_TRUE(ConvertExpLine(kLine + "trailing text", out));
  for (const char* bad : {"", " .125E+02  .5E+00 -.25E-01  .10E+01 ",  // four numbers
                          " .125E+02  .5E+00 -.25E-01  .10E+01  .300E+0",   // one exponent digit
                          " .125E+02  .5E+00 -.25E-01  .10E+01  .300e+02",  // lower-case e
                          " .1x5E+02  .5E+00 -.25E-01  .10E+01  .300E+02",  // not a digit
                          " .E+02  .5E+00 -.25E-01  .10E+01  .300E+02",     // no digits
                          " .125E+0a  .5E+00 -.25E-01  .10E+01  .300E+02", " .125"})
    EXPECT_FALSE(ConvertExpLine(bad, out)) << bad;
}

TEST(ExpText, HeaderLineEndsAndBlankLines) {
  std::string out = "x";
  ASSERT_TRUE(ConvertExpText(kHeader, out));
  EXPECT_EQ(out, "");  // exactly seven lines: empty output
  ASSERT_TRUE(ConvertExpText("h1\nh2\n", out));
  EXPECT_EQ(out, "");

  const std::string want = kLineOut + "\n" + kLineOut + "\n";
  ASSERT_TRUE(ConvertExpText(kHeader + kLine + "\n" + kLine + "\n", out));
  EXPECT_EQ(out, want);
  std::string crlf = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\nh7\r\n" + kLine + "\r\n\r\n   \r\n" + kLine;
  ASSERT_TRUE(ConvertExpText(crlf, out));
  EXPECT_EQ(out, want);
  std::string cr = "h1\rh2\rh3\rh4\rh5\rh6\rh7\r" + kLine + "\r" + kLine + "\r";
  ASSERT_TRUE(ConvertExpText(cr, out));
  EXPECT_EQ(out, want);
  // Header lines are skipped whatever they hold, even numbers.
  ASSERT_TRUE(ConvertExpText(kLine + "\n\n\n\n\n\n\n" + kLine, out));
  EXPECT_EQ(out, kLineOut + "\n");
}

TEST(ExpText, MalformedLineNamesItsNumber) {
  std::string out = "kept";
  std::size_t bad = 0;
  EXPECT_FALSE(ConvertExpText(kHeader + kLine + "\n\n" + " .12E+0\n" + kLine, out, &bad));
  EXPECT_EQ(bad, 10u);
  EXPECT_EQ(out, "kept");
}

// Every prefix of a valid export converts or is refused; none crashes.
TEST(ExpText, TruncationSweep) {
  std::string full = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\nh7\r\n";
  for (int i = 0; i < 4; ++i) full += " .20000000E-01 -.11000000E+03  .50000000E+00  .10000000E+03 -.12500000E-03 \r\n";
  for (std::size_t n = 0; n <= full.size(); ++n) {
    std::string out;
    std::size_t bad = 0;
    bool ok = ConvertExpText(std::string_view(full).substr(0, n), out, &bad);
    if (!ok) {
      EXPECT_GE(bad, 8u) << n;
    }
  }
  std::string out;
  EXPECT_TRUE(ConvertExpText(full, out));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);
}

TEST(ExpOutputName, BaseUpToTheFirstDot) {
  EXPECT_EQ(ExpOutputName("run.exp"), "run.txt");
  EXPECT_EQ(ExpOutputName("run.a.exp"), "run.txt");
  EXPECT_EQ(ExpOutputName("run"), ".txt");
  EXPECT_EQ(ExpOutputName("run.txt"), "run.txt");
  EXPECT_EQ(ExpOutputName("C:\\data\\run.exp"), "run.txt");
  EXPECT_EQ(ExpOutputName(".exp"), ".txt");
}

TEST_F(ExpFileTest, ConvertsBesideTheInputAndGivesTheFullPath) {
  Write("run.a.exp", kHeader + kLine + "\n");
  Write("run.txt", "an older file of the same name");
  std::string path;
  ASSERT_TRUE(Convert("run.a.exp", &path));
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_EQ(d.BaseName, "run.txt");
  EXPECT_EQ(fs::path(path), fs::current_path() / "run.txt");
  EXPECT_EQ(ReadWholeFile("run.txt"), kLineOut + "\n");
  EXPECT_EQ(ReadWholeFile("run.a.exp"), kHeader + kLine + "\n");
}

TEST_F(ExpFileTest, InputOfTheOutputsNameIsReadFirst) {
  Write("run.txt", kHeader + kLine + "\n" + kLine + "\n");
  ASSERT_TRUE(Convert("run.txt"));
  EXPECT_EQ(ReadWholeFile("run.txt"), kLineOut + "\n" + kLineOut + "\n");
}

TEST_F(ExpFileTest, OpenFailuresWarnOnceAndCreateNothing) {
  EXPECT_FALSE(Convert("absent.exp"));
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], "Файл absent.exp не найден");
  EXPECT_EQ(d.IoMessage, "Файл absent.exp не найден");
  EXPECT_EQ(d.BaseName, "earlier.txt");
  EXPECT_FALSE(fs::exists("absent.txt"));

  fs::create_directory("folder.exp");
  EXPECT_FALSE(Convert("folder.exp"));
  EXPECT_EQ(ui.warnings.back(), "Файл folder.exp не доступен");

  Write("plain", "");
  EXPECT_FALSE(Convert("plain/x.exp"));
  EXPECT_EQ(ui.warnings.back(), "Ошибочное имя файла plain/x.exp");
  EXPECT_EQ(ui.warnings.size(), 3u);
}

TEST_F(ExpFileTest, MalformedInputLeavesNoOutput) {
  Write("run.exp", kHeader + kLine + "\n" + kLine.substr(0, 30) + "\n");
  Write("run.txt", "old");
  EXPECT_FALSE(Convert("run.exp"));
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_NE(ui.warnings[0].find("строке 9"), std::string::npos) << ui.warnings[0];
  EXPECT_EQ(ReadWholeFile("run.txt"), "old");
  EXPECT_EQ(d.BaseName, "earlier.txt");
  d.ui = nullptr;  // without a window the result alone tells
  EXPECT_FALSE(Convert("run.exp"));
}

TEST_F(ExpFileTest, FailedWriteWarnsAndReturnsFalse) {
  Write("run.exp", kHeader + kLine + "\n");
  fs::create_directory("run.txt");
  EXPECT_FALSE(Convert("run.exp"));
  EXPECT_EQ(ui.warnings.size(), 1u);
  EXPECT_TRUE(fs::is_directory("run.txt"));
  EXPECT_EQ(d.BaseName, "earlier.txt");
}

// The shipped exports convert into processing files of five numbers a line.
TEST(ExpExamples, ShippedExportsConvert) {
  int files = 0;
  for (const auto& e : fs::directory_iterator(fs::path(KV_SOURCE_DIR) / "examples")) {
    if (e.path().extension() != ".exp") continue;
    ++files;
    std::string out;
    std::size_t bad = 0;
    ASSERT_TRUE(ConvertExpText(ReadWholeFile(e.path().string()), out, &bad)) << e.path() << " line " << bad;
    NumberTokenizer t(out);
    std::size_t lines = 0;
    while (!t.eof()) {
      std::string line = t.readLine();
      ASSERT_EQ(line.substr(0, 2), "  ");
      NumberTokenizer nums(line);
      for (int k = 0; k < 5; ++k) EXPECT_FALSE(nums.nextToken().empty());
      EXPECT_TRUE(nums.nextToken().empty());
      ++lines;
    }
    EXPECT_GT(lines, 100u) << e.path();
  }
  EXPECT_GE(files, 1);
}

}  // namespace
