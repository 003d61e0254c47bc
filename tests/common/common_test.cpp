#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>

#include "common/codepage.h"
#include "common/decimal_format.h"
#include "common/io_error.h"
#include "common/tokenizer.h"
#include "common/xfloat.h"

using namespace kv;
using namespace std::string_literals;

TEST(Tokenizer, SkipsSeparatorsAndReadsZeroAtEnd) {
  // Trailing bytes 0..32 (NUL padding, Ctrl+Z) are no content.
  const std::string text = " 1.5\t-2\r\n\v\f 3e2 \n\0\0\x1a \n"s;
  NumberTokenizer t(text);
  EXPECT_EQ(t.readReal(), 1.5L);
  EXPECT_EQ(t.readInteger(), -2);
  EXPECT_EQ(t.readReal(), 300.0L);
  EXPECT_TRUE(t.atContentEnd());
  EXPECT_EQ(t.readReal(), 0.0L);
  EXPECT_EQ(t.readInteger(), 0);
  EXPECT_TRUE(t.eof());
}

// A control byte standing alone between numbers is a blank, as in the
// runtime; one touching a number's characters makes that number malformed
// instead of splitting it in two.
TEST(Tokenizer, ControlBytesBlankAloneMalformedInANumber) {
  for (const std::string& text : {" 1.0 \x1a 307.3"s, " 1.0 \0 307.3"s, " 1.0 \0\x1a\x01\t307.3"s}) {
    NumberTokenizer t(text);
    EXPECT_EQ(t.readReal(), 1.0L);
    EXPECT_EQ(t.readReal(), 307.3L);
  }
  const std::string ctrlZLine = "5\n\x1a\n7";  // a line holding only Ctrl+Z
  NumberTokenizer line(ctrlZLine);
  EXPECT_EQ(line.readInteger(), 5);
  line.skipLine();
  EXPECT_EQ(line.readInteger(), 7);
  const std::pair<std::string, std::string> cases[] = {
      {"47\0" "2.15"s, "\"47\\x002.15\""},
      {"0.0\0 2"s, "\"0.0\\x00\""},
      {"1\x01", "\"1\\x01\""},
      {"\x1a" "5", "\"\\x1A5\""},
  };
  for (const auto& [text, shown] : cases)
    for (bool integer : {false, true}) {
      const std::string file = "7\n" + text + "\n8";
      NumberTokenizer t(file, "f.txt");
      try {
        t.readInteger();
        for (int k = 0; k < 2; ++k) integer ? (void)t.readInteger() : (void)t.readReal();
        ADD_FAILURE() << shown;
      } catch (const IoError& e) {
        EXPECT_EQ(e.code(), 106);
        EXPECT_NE(std::string(e.what()).find("f.txt, line 2: " + shown), std::string::npos) << e.what();
      }
    }
}

TEST(Tokenizer, MalformedNumberIsError106WithLine) {
  NumberTokenizer t("1\n2\n1,5\n", "ust.txt");
  t.readReal();
  t.readReal();
  try {
    t.readReal();
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), 106);
    EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos);
  }
  NumberTokenizer i("2.5");
  EXPECT_THROW(i.readInteger(), IoError);
}

TEST(Tokenizer, DecimalPointWhateverTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8")) {
    NumberTokenizer t("0.25");
    EXPECT_EQ(t.readReal(), 0.25L);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  long double v;
  EXPECT_FALSE(ParseReal("nan", v));
  EXPECT_FALSE(ParseReal("0x10", v));
  EXPECT_FALSE(ParseReal("1e99999", v));
  EXPECT_TRUE(ParseReal(".5", v));
  EXPECT_EQ(v, 0.5L);
}

// Lines end at LF; a CR not followed by LF is a blank within its line, but
// a text without any LF ends its lines at CR.
TEST(Tokenizer, LinesEndAtLfOrCrInACrOnlyText) {
  NumberTokenizer t("a b\r\nc\rd\r\r\ne\nf");
  EXPECT_EQ(t.readLine(), "a b");
  EXPECT_EQ(t.readLine(), "c\rd");
  EXPECT_EQ(t.lineNumber(), 3u);
  EXPECT_EQ(t.readLine(), "e");
  EXPECT_EQ(t.readLine(), "f");
  EXPECT_TRUE(t.eof());
  NumberTokenizer skip("1 note\r 9\r\n2\n");
  skip.readReal();
  skip.skipLine();
  EXPECT_EQ(skip.readReal(), 2.0L);

  NumberTokenizer cr("1 a\r2 b\r\r1,5\r", "old.txt");
  EXPECT_EQ(cr.readLine(), "1 a");
  EXPECT_EQ(cr.readReal(), 2.0L);
  cr.skipLine();
  try {
    cr.readReal();
    ADD_FAILURE();
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find("old.txt, line 4"), std::string::npos) << e.what();
  }
}

TEST(CodePage, RoundTripsCyrillic) {
  std::string u = "Ток фазы";
  std::string b866 = Utf8ToCp866(u);
  EXPECT_EQ(b866.size(), 8u);
  EXPECT_EQ(static_cast<unsigned char>(b866[0]), 0x92);  // "Т" in 866
  EXPECT_EQ(Cp866ToUtf8(b866), u);
  EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(u)), u);
  EXPECT_EQ(static_cast<unsigned char>(Utf8ToCp1251(u)[0]), 0xD2);
}

TEST(CodePage, OemFieldCutsAtNulAndLength) {
  std::string f("ABCDEFGHIJKLMNOPQRS", 19);
  EXPECT_EQ(OemFieldToUtf8(f, 16), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(OemFieldToUtf8(std::string("AB\0CD", 5), 16), "AB");
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "?");
}

TEST(DecimalFormat, TiesAwayFromZeroAndSeparators) {
  EXPECT_EQ(FormatFixed(0.0625L, 10, 3, "."), "0.063");
  EXPECT_EQ(FormatFixed(-0.0625L, 10, 3, ","), "-0,063");
  EXPECT_EQ(FormatFixed(1.52, 10, 3, ","), "1,520");
  EXPECT_EQ(FormatFixed(static_cast<float>(0.1234), 10, 3, "."), "0.123");
  EXPECT_EQ(FormatFixed(-12.5L, 10, 3, "."), "-12.500");
  EXPECT_EQ(FormatFixed(0.0L, 10, 3, "."), "0.000");
  EXPECT_EQ(FormatFixed(-0.0001L, 10, 3, "."), "0.000");
  EXPECT_EQ(FormatFixed(999.9996L, 10, 3, "."), "1000.000");
  EXPECT_EQ(FormatDecimal(1234567.125L, {0, 3, ".", ","}), "1,234,567.125");
  EXPECT_EQ(FormatDecimal(2.5L, {0, 2, ",", ""}), "2,5");
  EXPECT_EQ(FormatDecimal(3.0L, {0, 2, ".", ""}), "3");
  EXPECT_EQ(FormatDecimal(0.005L, {0, 2, ".", ""}), "0.01");
}

TEST(XFloat, StoresAndFaults) {
  EXPECT_EQ(RoundHalfEven(2.5L), 2.0L);
  EXPECT_EQ(RoundHalfEven(3.5L), 4.0L);
  EXPECT_EQ(RoundHalfEven(-2.5L), -2.0L);
  EXPECT_EQ(LowInt8(200), -56);
  EXPECT_EQ(LowInt16(70000), 4464);
  EXPECT_THROW(StoreF32(1e39L), FpError);
  EXPECT_NO_THROW(StoreF32(static_cast<long double>(FLT_MAX)));
  EXPECT_THROW(Div(1, 0), FpError);
  EXPECT_THROW(Div(0, 0), FpError);
  FpClear();
  volatile long double z = 0;
  volatile long double r = 1.0L / z;
  (void)r;
  EXPECT_THROW(FpCheck("test"), FpError);
  EXPECT_NO_THROW(FpCheck("test"));
}
