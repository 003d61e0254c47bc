// Every prefix and every single-byte change of a valid settings file, of a
// valid processing file and of a valid exponent-format export gives a result
// or a clear error of the model (any other exception fails the test): never
// a crash, a hang or a stray temporary file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/exp_convert.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
#include "runcore_fixture.h"

using namespace kv;

class Truncation : public runcore_test::TempDirTest {};

TEST_F(Truncation, EverySettingsPrefix) {
  const std::string full = runcore_test::ValidSettings();
  for (std::size_t n = 0; n <= full.size(); ++n) {
    DatMod1 d;
    try {
      ReadSettingsText(d.settings, full.substr(0, n), "ust.txt");
      DeriveThresholds(d);
    } catch (const IoError&) {
    } catch (const FpError&) {
    }
  }
}

namespace {

// A processing file of 41 lines with comments, markers and exponents.
std::string ValidProcessing() {
  std::string full = "% transient\r\n% t U I P Q\r\n";
  for (int i = 0; i <= 40; ++i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%c %.3f %.4e %.2f -1.5e2 %d\r\n%s", i % 7 == 3 ? 'n' : ' ', 0.013 * i, 500.0 + i,
                  1000.0 - i * 3.25, i - 20, i == 20 ? "% midway\r\n" : "");
    full += buf;
  }
  return full;
}

// Each byte of `valid` replaced in turn by each of these.
constexpr std::string_view kReplacements{"\0 \t\n\r09.-+eE%n,\x1a\xff", 17};

template <class F>
void ForEveryByteChange(const std::string& valid, F&& check) {
  for (std::size_t at = 0; at < valid.size(); ++at)
    for (char c : kReplacements) {
      if (valid[at] == c) continue;
      std::string changed = valid;
      changed[at] = c;
      check(changed);
    }
}

// The settings read and the thresholds derived, or a model error.
void SettingsOrError(const std::string& text) {
  DatMod1 d;
  try {
    ReadSettingsText(d.settings, text, "ust.txt");
    DeriveThresholds(d);
  } catch (const IoError&) {
  } catch (const FpError&) {
  }
}

// The whole step over a processing text in memory, or a model error.
void StepsOrError(DatMod1& d, const std::string& text) {
  d.ResetForRun();
  ReadSettingsText(d.settings, runcore_test::ValidSettings(), "ust.txt");
  DeriveThresholds(d);
  try {
    ResampleText(text, "run.txt", [&d](const GridPoint& p) { ProcessGridPoint(d, p); });
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kInvalidNumeric) << e.what();
  } catch (const FpError&) {
  } catch (const SampleLimitError&) {
  }
}

}  // namespace

TEST(ByteChange, EverySettingsByte) {
  ForEveryByteChange(runcore_test::ValidSettings(), SettingsOrError);
}

TEST(ByteChange, EveryProcessingByte) {
  DatMod1 d;
  ForEveryByteChange(ValidProcessing(), [&](const std::string& text) { StepsOrError(d, text); });
}

// A changed export converts and its output runs, or the converter names a
// data line.
TEST(ByteChange, EveryExportByte) {
  std::string valid = "h1\nh2\nh3\nh4\nh5\nh6\nh7\n";
  for (int i = 0; i < 4; ++i) valid += " .20000000E-01 -.11000000E+03  .50000000E+00  .10000000E+03 -.12500000E-03 \r\n";
  DatMod1 d;
  std::size_t converted = 0;
  ForEveryByteChange(valid, [&](const std::string& text) {
    std::string out;
    std::size_t bad = 0;
    if (ConvertExpText(text, out, &bad)) {
      ++converted;
      StepsOrError(d, out);
    } else {
      EXPECT_GE(bad, 8u);
    }
  });
  EXPECT_GT(converted, 0u);
}

TEST_F(Truncation, EveryProcessingPrefix) {
  const std::string full = ValidProcessing();
  Write("ust.txt", runcore_test::ValidSettings());
  DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "run.txt";
  for (std::size_t n = 0; n <= full.size(); ++n) {
    Write("run.txt", full.substr(0, n));
    d.RunStatus = 1;
    try {
      RunProcessing(d);
      EXPECT_EQ(d.RunStatus, 0);
      EXPECT_TRUE(std::filesystem::exists("run.31"));
    } catch (const IoError&) {
    } catch (const FpError&) {
    }
    for (const auto& e : std::filesystem::directory_iterator("."))
      EXPECT_NE(e.path().filename().string()[0], '.') << n << ": a temporary left";
  }
  EXPECT_EQ(d.RunStatus, 0);  // the whole file completes: 0 .. 0.52 s
  EXPECT_EQ(d.SampleCount, 27);
}
