// Reading the 41 settings and deriving the thresholds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
#include "runcore_fixture.h"

using namespace kv;
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
  std::size_t pos = 0;
  for (int i = 1; pos < base.size(); ++i) {
    std::size_t e = base.find('\n', pos);
    out += i == line ? value : base.substr(pos, e - pos);
    out += '\n';
    pos = e + 1;
  }
  return out;
}

int IoCodeOf(const std::string& text) {
  try {
    Read(text);
  } catch (const IoError& e) {
    return e.code();
  }
  return 0;
}

}  // namespace

TEST(SettingsRead, AllFortyOneFieldsInOrderWithTheirWidths) {
  const TSettings s = Read(ValidSettings());
  EXPECT_EQ(s.Unom, 500.0f);
  EXPECT_EQ(s.Inom, 1000.0f);
  EXPECT_EQ(s.X1, 40.0f);
  EXPECT_EQ(s.R1, 4.0f);
  EXPECT_EQ(s.X3, 60.0f);
  EXPECT_EQ(s.R3, 3.0f);
  EXPECT_EQ(s.Zone1Percent, 80.0f);
  EXPECT_EQ(s.Zone2Percent, 120.0f);
  EXPECT_EQ(s.Angle1DelayInMs, 30);
  EXPECT_EQ(s.Angle2DelayInMs, 50);
  EXPECT_EQ(s.Angle1DelayOutMs, 70);
  EXPECT_EQ(s.Angle2DelayOutMs, 10);
  EXPECT_EQ(s.MaxSlipsPos, 2);
  EXPECT_EQ(s.MaxSlipsNeg, 3);
  EXPECT_EQ(s.Cycle1Slips, 1);
  EXPECT_EQ(s.Cycle1Mode, 1);
  EXPECT_EQ(s.Cycle2Slips, 2);
  EXPECT_EQ(s.Cycle2Mode, 2);
  EXPECT_EQ(s.CurrentPickup, 1500.0f);
  EXPECT_EQ(s.CurrentDropout, 1200.0f);
  EXPECT_EQ(s.SwingLimit, 3);
  EXPECT_EQ(s.SwingWindow, 2.5f);
  EXPECT_EQ(s.GenKzPower, 300.0f);
  EXPECT_EQ(s.GenKzInertia, 8.0f);
  EXPECT_EQ(s.GenKzReactance, 0.25f);
  EXPECT_EQ(s.Apnu1AngleSign, 1);
  EXPECT_EQ(s.Apnu1PowerSign, -1);
  EXPECT_EQ(s.Apnu2AngleSign, 0);
  EXPECT_EQ(s.Apnu2PowerSign, 1);
  EXPECT_EQ(s.Apnu1SpeedSign, -1);
  EXPECT_EQ(s.Apnu1SlopeSign, 1);
  EXPECT_EQ(s.Apnu2SpeedSign, 0);
  EXPECT_EQ(s.Apnu2SlopeSign, -1);
  EXPECT_EQ(s.Apnu1AngleLimit, 120.0f);
  EXPECT_EQ(s.Apnu2AngleLimit, 150.0f);
  EXPECT_EQ(s.Apnu1PowerLimit, 200.0f);
  EXPECT_EQ(s.Apnu2PowerLimit, 250.0f);
  EXPECT_EQ(s.AngleEnable, 1);
  EXPECT_EQ(s.CycleEnable, 1);
  EXPECT_EQ(s.GenKzEnable, 0);
  EXPECT_EQ(s.ApnuEnable, 1);
  static_assert(sizeof(s.Angle1DelayInMs) == 2 && sizeof(s.MaxSlipsPos) == 1 && sizeof(s.Unom) == 4);
}

TEST(SettingsRead, LayoutDoesNotShiftValues) {
  const TSettings plain = Read(With(1, "500"));
  // Bare values, CR LF, tabs, leading blanks, blank lines, a second number on a line.
  std::string messy = "\r\n  \t500\t1.5e3 kV\r\n\r\n";
  const std::string rest = ValidSettings().substr(ValidSettings().find('\n') + 1);
  std::string crlf;
  for (char c : rest) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Read(messy + crlf), plain);
  // Bare values without comments, the last line without a line end.
  std::string bare;
  for (std::size_t pos = 0; pos < rest.size();) {
    std::size_t e = rest.find('\n', pos);
    bare += "\n" + rest.substr(pos, rest.find(' ', pos) - pos);
    pos = e + 1;
  }
  EXPECT_EQ(Read("500" + bare), plain);
  EXPECT_EQ(Read("  5E2\n").Unom, 500.0f);
}

TEST(SettingsRead, MissingValuesReadAsZero) {
  const std::string all = ValidSettings();
  const std::string forty = all.substr(0, all.rfind("1   value 41"));  // drop the 41st value
  const TSettings s = Read(forty);
  EXPECT_EQ(s.GenKzEnable, 0);
  EXPECT_EQ(s.ApnuEnable, 0);
  EXPECT_EQ(s.AngleEnable, 1);
  const TSettings e = Read("");
  EXPECT_EQ(e.Unom, 0.0f);
  EXPECT_EQ(e.ApnuEnable, 0);
}

TEST(SettingsRead, IntegersKeepTheirLowBits) {
  EXPECT_EQ(Read(With(13, "300")).MaxSlipsPos, 44);
  EXPECT_EQ(Read(With(13, "255")).MaxSlipsPos, -1);
  EXPECT_EQ(Read(With(13, "-129")).MaxSlipsPos, 127);
  EXPECT_EQ(Read(With(9, "70000")).Angle1DelayInMs, 4464);
  EXPECT_EQ(Read(With(9, "-32769")).Angle1DelayInMs, 32767);
}

TEST(SettingsRead, ValueThatDoesNotConvertIsError106NamingItsLine) {
  for (const char* bad : {"1,5", "100kV", "Unom", "30.0", "--1", "0x10"}) {
    const int line = std::string(bad) == "30.0" ? 9 : 3;
    try {
      Read(With(line, bad));
      ADD_FAILURE() << bad;
    } catch (const IoError& e) {
      EXPECT_EQ(e.code(), 106) << bad;
      EXPECT_NE(std::string(e.what()).find("ust.txt, line " + std::to_string(line)), std::string::npos) << e.what();
    }
  }
  // A heading line before the values.
  EXPECT_EQ(IoCodeOf("Уставки\n" + ValidSettings()), 106);
  // Values before the failing line are stored; those after it are not read.
  TSettings s;
  EXPECT_THROW(ReadSettingsText(s, With(5, "6O"), "u"), IoError);
  EXPECT_EQ(s.X1, 40.0f);
  EXPECT_EQ(s.R1, 4.0f);
  EXPECT_EQ(s.X3, 0.0f);
  EXPECT_EQ(s.Zone1Percent, 0.0f);
}

TEST(SettingsRead, RealThatDoesNotFitFloat32StopsTheRun) {
  EXPECT_THROW(Read(With(2, "1e39")), FpError);
  EXPECT_EQ(Read(With(2, "1e-50")).Inom, 0.0f);  // underflow is no error
}

TEST(SettingsRead, MissingFileIsTheOpenError) {
  DatMod1 d;
  d.SettingsFileName = "/nonexistent-folder/ust.txt";
  try {
    ReadSettings(d);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kFileNotFound);
  }
}

TEST(DeriveThresholds, KnownValues) {
  const DatMod1 d = Derived(ValidSettings());
  const TThresholds& t = d.thr;
  EXPECT_EQ(t.K1, 0.1f);
  EXPECT_EQ(t.K3, 0.05f);
  const float uphNom = static_cast<float>(500.0L / std::sqrt(3.0L));
  EXPECT_EQ(t.UphNom, uphNom);
  EXPECT_NEAR(t.UphNom, 288.675134f, 1e-4);
  // The fractions are taken of the stored float32 UphNom.
  EXPECT_EQ(t.Uph02, static_cast<float>(0.2L * uphNom));
  EXPECT_EQ(t.Uph05, static_cast<float>(0.5L * uphNom));
  EXPECT_EQ(t.Uph01, static_cast<float>(0.1L * uphNom));
  EXPECT_EQ(t.Uph07, static_cast<float>(0.7L * uphNom));
  EXPECT_EQ(t.XeckMax, static_cast<float>(1.4L * uphNom));
  EXPECT_EQ(t.Zone1X1, 32.0f);
  EXPECT_EQ(t.Zone2X1, 48.0f);
  EXPECT_EQ(t.Zone1X3, 48.0f);
  EXPECT_EQ(t.Zone2X3, 72.0f);
  // 30 ms -> 2 steps, 50 -> 2, 70 -> 4, 10 -> 0 (halves to even).
  EXPECT_EQ(t.Angle1InSteps, 2);
  EXPECT_EQ(t.Angle2InSteps, 2);
  EXPECT_EQ(t.Angle1OutSteps, 4);
  EXPECT_EQ(t.Angle2OutSteps, 0);
  EXPECT_EQ(t.SlipLimitPos, 2);
  EXPECT_EQ(t.SlipLimitNeg, -3);
  EXPECT_EQ(t.XbandHi, 60.0f);
  EXPECT_EQ(t.XbandLo, 80.0f);
  // GenKzPower 300 is held as 100; PowerBase = 100 / (3 x 1000 x 5).
  EXPECT_EQ(d.settings.GenKzPower, 100.0f);
  EXPECT_EQ(d.settings.Cycle2Slips, -2);
  const float powerBase = static_cast<float>(100.0L / 15000.0L);
  EXPECT_EQ(t.PowerBase, powerBase);
  EXPECT_EQ(t.GenKzGain, static_cast<float>(2250.0L / powerBase));  // divides by the stored PowerBase
  EXPECT_EQ(t.GenReactance, 50.0f);
}

TEST(DeriveThresholds, DelaysAndNegationsAtTheirLimits) {
  std::string f = With(9, "-30", With(10, "32767", With(14, "-128", With(17, "-128"))));
  const DatMod1 d = Derived(f);
  EXPECT_EQ(d.thr.Angle1InSteps, -2);
  EXPECT_EQ(d.thr.Angle2InSteps, 1638);
  EXPECT_EQ(d.thr.SlipLimitNeg, 128);        // sign-extended first
  EXPECT_EQ(d.settings.Cycle2Slips, -128);   // 8-bit negation wraps
}

TEST(DeriveThresholds, BandUsesTheStoredFloat32Fifth) {
  // 0.2 x (X1 + X3) rounds to float32 before it is added.
  const DatMod1 d = Derived(With(3, "0.1", With(5, "1e-9")));
  const float band = static_cast<float>(0.2L * (static_cast<long double>(0.1f) + 1e-9f));
  EXPECT_EQ(d.thr.XbandHi, static_cast<float>(static_cast<long double>(0.1f) + band));
  EXPECT_EQ(d.thr.XbandLo, static_cast<float>(static_cast<long double>(1e-9f) + band));
}

TEST(DeriveThresholds, X3ZeroSkipsK3) {
  const DatMod1 d = Derived(ValidSettings("0"));
  EXPECT_EQ(d.thr.K3, 0.0f);
  EXPECT_EQ(d.thr.Zone1X3, 0.0f);
  EXPECT_EQ(d.thr.Zone2X3, 0.0f);
  EXPECT_EQ(d.thr.XbandLo, 8.0f);   // 0.2 x X1
  EXPECT_EQ(d.thr.XbandHi, 48.0f);  // 1.2 x X1
}

TEST(DeriveThresholds, ZeroDivisorsAreFloatingPointErrors) {
  for (int line : {1, 2, 3, 23, 24}) {
    try {
      Derived(With(line, "0"));
      ADD_FAILURE() << "setting " << line;
    } catch (const FpError& e) {
      EXPECT_NE(std::string(e.what()).find("Floating point"), std::string::npos) << e.what();
    }
  }
  // R1 = X1 = 0 is an invalid operation rather than a division by zero.
  try {
    Derived(With(3, "0", With(4, "0")));
    FAIL();
  } catch (const FpError& e) {
    EXPECT_NE(std::string(e.what()).find("invalid"), std::string::npos) << e.what();
  }
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
}

TEST_F(SettingsRun, SettingsErrorStopsBeforeTheProcessingFile) {
  Write("ust.txt", With(24, "0"));
  DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "missing.txt";  // would give a warning if it were opened
  d.RunStatus = 1;
  EXPECT_THROW(RunProcessing(d), FpError);
  EXPECT_TRUE(d.IoMessage.empty());
  EXPECT_EQ(d.RunStatus, 1);
  EXPECT_FALSE(std::filesystem::exists("ema.tip"));
}
