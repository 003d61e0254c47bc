// Reading the 41 settings and deriving the thresholds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
#include "runcore_fixture.h"

using namespace kv;
using runcore_test::Thrown;
using runcore_test::ValidSettings;

namespace {

TSettings Read(const std::string& text) {
  TSettings s;
  ReadSettingsText(s, text, "ust.txt");
  return s;
}

DatMod1 Derived(const std::string& text) {
  DatMod1 d;
  ReadSettingsText(d.settings, text, "ust.txt");
  DeriveThresholds(d);
  return d;
}

// The valid file with line `line` (1-based) replaced.
std::string With(int line, const std::string& value, const std::string& base = ValidSettings()) {
  std::string out;
  for (std::size_t pos = 0, i = 1; pos < base.size(); ++i) {
    const std::size_t e = base.find('\n', pos);
    out += (i == static_cast<std::size_t>(line) ? value : base.substr(pos, e - pos)) + '\n';
    pos = e + 1;
  }
  return out;
}

}  // namespace

TEST(SettingsRead, FortyOneFieldsInOrderWhateverTheLayout) {
  const TSettings want{500,  1000, 40, 4,  60, 3,  80, 120, 30,  50,  70,  10,  2, 3, 1, 1, 2, 2, 1500, 1200, 3,
                       2.5f, 300,  8,  0.25f, 1, -1, 0, 1,   -1, 1,   0,   -1,  120, 150, 200, 250, 1, 1, 0, 1};
  EXPECT_EQ(Read(ValidSettings()), want);

  // CR LF, tabs, leading blanks, blank lines, a second number on a line.
  std::string crlf = "\r\n  \t5E2\t1.5e3 kV\r\n\r\n";
  for (char c : ValidSettings().substr(ValidSettings().find('\n') + 1))
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Read(crlf), want);
  // Bare values, the last line without a line end.
  std::string bare;
  for (const char* v : runcore_test::kSettingValues) bare += std::string(bare.empty() ? "" : "\n") + (v ? v : "60");
  EXPECT_EQ(Read(bare), want);
  // A CR inside a comment is a blank, not a line end; so are a line holding
  // only Ctrl+Z and a NUL standing alone before a value.
  std::string odd = "\x1a\n" + With(9, std::string("\0 30", 4));
  for (std::size_t pos = 0; (pos = odd.find("value", pos)) != std::string::npos; pos += 6) odd.replace(pos, 5, "val\rue");
  EXPECT_EQ(Read(odd), want);

  // At the end of the file a missing value reads as 0.
  const TSettings forty = Read(ValidSettings().substr(0, ValidSettings().rfind("1   value 41")));
  EXPECT_EQ(std::tie(forty.AngleEnable, forty.CycleEnable, forty.GenKzEnable, forty.ApnuEnable),
            std::make_tuple(1, 1, 0, 0));
  EXPECT_EQ(Read(""), TSettings{});
}

TEST(SettingsRead, ErrorsStopTheRead) {
  // A value that does not convert is error 106 naming its line; a heading
  // line before the values is one.
  const std::pair<int, std::string> bad[] = {{3, "1,5"}, {3, "100kV"}, {3, "Unom"}, {9, "30.0"},
                                             {3, "--1"}, {3, "0x10"},  {1, "Уставки"}, {3, std::string("4\0" "0", 3)},
                                             {9, std::string("3\0" "0", 3)}};
  for (auto [line, text] : bad)
    for (bool crOnly : {false, true}) {  // old CR-only line ends name the same line
      std::string file = With(line, text);
      if (crOnly) std::replace(file.begin(), file.end(), '\n', '\r');
      const std::string e = Thrown([&] { Read(file); });
      EXPECT_EQ(e.rfind("106 ", 0), 0u) << text << ": " << e;
      EXPECT_NE(e.find("ust.txt, line " + std::to_string(line)), std::string::npos) << e;
    }
  // Values before the failing line are stored; those after it are not read.
  TSettings s;
  EXPECT_THROW(ReadSettingsText(s, With(5, "6O"), "u"), IoError);
  EXPECT_EQ(s.R1, 4.0f);
  EXPECT_EQ(s.Zone1Percent, 0.0f);

  EXPECT_THROW(Read(With(2, "1e39")), FpError);  // does not fit float32
  EXPECT_EQ(Read(With(2, "1e-50")).Inom, 0.0f);  // underflow is no error

  DatMod1 d;
  d.SettingsFileName = "/nonexistent-folder/ust.txt";
  EXPECT_EQ(Thrown([&] { ReadSettings(d); }).rfind("2 ", 0), 0u);  // file not found
}

TEST(DeriveThresholds, KnownValues) {
  const DatMod1 d = Derived(ValidSettings());
  const TThresholds& t = d.thr;
  // Fractions of the stored float32 UphNom; delays of 30, 50, 70, 10 ms halve to even steps; GenKzPower
  // 300 held as 100; PowerBase = 100 / (3 x 1000 x 5), GenKzGain divided by the stored PowerBase.
  const std::pair<double, float> values[] = {
      {t.K1, 0.1f},           {t.K3, 0.05f},           {t.UphNom, 288.67514f},       {t.Uph02, 57.7350273f},
      {t.Uph05, 144.33757f},  {t.Uph01, 28.8675137f},  {t.Uph07, 202.072601f},       {t.XeckMax, 404.145203f},
      {t.Zone1X1, 32},        {t.Zone2X1, 48},         {t.Zone1X3, 48},              {t.Zone2X3, 72},
      {t.Angle1InSteps, 2},   {t.Angle2InSteps, 2},    {t.Angle1OutSteps, 4},        {t.Angle2OutSteps, 0},
      {t.SlipLimitPos, 2},    {t.SlipLimitNeg, -3},    {t.XbandHi, 60},              {t.XbandLo, 80},
      {t.PowerBase, 0.00666666683f}, {t.GenKzGain, 337500}, {t.GenReactance, 50},
      {d.settings.GenKzPower, 100},  {d.settings.Cycle2Slips, -2}};
  for (std::size_t k = 0; k < std::size(values); ++k) EXPECT_EQ(values[k].first, values[k].second) << "value " << k;

  // Without a second side K3 and its zones stay 0.
  const DatMod1 one = Derived(ValidSettings("0"));
  EXPECT_EQ(one.thr.K3, 0.0f);
  EXPECT_EQ(one.thr.Zone1X3 + one.thr.Zone2X3, 0.0f);
  EXPECT_EQ(one.thr.XbandLo, 8.0f);   // 0.2 x X1
  EXPECT_EQ(one.thr.XbandHi, 48.0f);  // 1.2 x X1
  // The fifth of X1 + X3 is stored as float32 before it is added.
  EXPECT_EQ(Derived(With(3, "0.1", With(5, "1e-9"))).thr.XbandLo, 0.0200000033f);
}

TEST(DeriveThresholds, WidthsLimitsAndZeroDivisors) {
  // Integers keep their low bits.
  EXPECT_EQ(Read(With(13, "300")).MaxSlipsPos, 44);
  EXPECT_EQ(Read(With(13, "255")).MaxSlipsPos, -1);
  EXPECT_EQ(Read(With(13, "-129")).MaxSlipsPos, 127);
  EXPECT_EQ(Read(With(9, "70000")).Angle1DelayInMs, 4464);
  EXPECT_EQ(Read(With(9, "-32769")).Angle1DelayInMs, 32767);
  const DatMod1 d = Derived(With(9, "-30", With(10, "32767", With(14, "-128", With(17, "-128")))));
  EXPECT_EQ(d.thr.Angle1InSteps, -2);
  EXPECT_EQ(d.thr.Angle2InSteps, 1638);
  EXPECT_EQ(d.thr.SlipLimitNeg, 128);       // sign-extended first
  EXPECT_EQ(d.settings.Cycle2Slips, -128);  // 8-bit negation wraps

  for (int line : {1, 2, 3, 23, 24}) {
    EXPECT_THROW(Derived(With(line, "0")), FpError) << line;
    EXPECT_NE(Thrown([&] { Derived(With(line, "0")); }).find("Floating point"), std::string::npos) << line;
  }
  // R1 = X1 = 0 is an invalid operation rather than a division by zero.
  EXPECT_NE(Thrown([&] { Derived(With(3, "0", With(4, "0"))); }).find("invalid"), std::string::npos);
}

class SettingsRun : public runcore_test::TempDirTest {};

TEST_F(SettingsRun, EveryRunStartsFromAFreshState) {
  // K3 of an earlier run does not survive into a run with X3 = 0.
  Write("ust.txt", ValidSettings("60"));
  Write("run.txt", " 0 100 1 2 3\n");
  DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "run.txt";
  RunProcessing(d);
  EXPECT_EQ(d.thr.K3, 0.05f);
  Write("ust.txt", ValidSettings("0"));
  RunProcessing(d);
  EXPECT_EQ(d.thr.K3, 0.0f);
  EXPECT_EQ(d.settings.Cycle2Slips, -2);  // negated once per run, from the file
  EXPECT_EQ(d.settings.GenKzPower, 100.0f);

  // A settings error stops the run before the processing file is opened.
  Write("ust.txt", With(24, "0"));
  d.ProcessingFileName = "missing.txt";  // would give a warning if it were opened
  d.RunStatus = 1;
  EXPECT_THROW(RunProcessing(d), FpError);
  EXPECT_TRUE(d.IoMessage.empty());
  EXPECT_EQ(d.RunStatus, 1);
  EXPECT_FALSE(std::filesystem::exists("ema.tip"));
}
