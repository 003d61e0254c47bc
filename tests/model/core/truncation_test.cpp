// Every prefix of a valid settings file and of a valid processing file gives
// a result or a clear error of the model (any other exception fails the
// test): never a crash, a hang or a stray "ema.tip".
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/io_error.h"
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

TEST_F(Truncation, EveryProcessingPrefix) {
  std::string full = "% transient\r\n% t U I P Q\r\n";
  for (int i = 0; i <= 40; ++i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%c %.3f %.4e %.2f -1.5e2 %d\r\n%s", i % 7 == 3 ? 'n' : ' ', 0.013 * i, 500.0 + i,
                  1000.0 - i * 3.25, i - 20, i == 20 ? "% midway\r\n" : "");
    full += buf;
  }
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
    EXPECT_FALSE(std::filesystem::exists("ema.tip")) << n;
    EXPECT_FALSE(d.emaTip.isOpen()) << n;
  }
  EXPECT_EQ(d.RunStatus, 0);  // the whole file completes: 0 .. 0.52 s
  EXPECT_EQ(d.SampleCount, 27);
}
