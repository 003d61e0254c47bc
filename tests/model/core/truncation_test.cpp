// Every prefix of a valid settings file and of a valid processing file gives
// a result or a clear error: never a crash, a hang or a stray "ema.tip".
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
#include "runcore_fixture.h"

using namespace kv;

namespace {

std::string ValidProcessing() {
  std::string f = "% transient\r\n% t U I P Q\r\n";
  for (int i = 0; i <= 40; ++i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%c %.3f %.4e %.2f -1.5e2 %d\r\n", i % 7 == 3 ? 'n' : ' ', 0.013 * i, 500.0 + i,
                  1000.0 - i * 3.25, i - 20);
    f += buf;
    if (i == 20) f += "% midway\r\n";
  }
  return f;
}

// Runs `body`; a clear error of the model is fine, anything else is not.
template <class F>
void ResultOrClearError(const F& body, const std::string& what) {
  try {
    body();
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()), "") << what;
  } catch (const FpError& e) {
    EXPECT_NE(std::string(e.what()), "") << what;
  } catch (const SampleLimitError& e) {
    ADD_FAILURE() << what << ": " << e.what();  // short files never reach the limit
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << ": unexpected " << e.what();
  }
}

class Truncation : public runcore_test::TempDirTest {};

}  // namespace

TEST_F(Truncation, EverySettingsPrefix) {
  const std::string full = runcore_test::ValidSettings();
  int completed = 0;
  for (std::size_t n = 0; n <= full.size(); ++n) {
    ResultOrClearError(
        [&] {
          DatMod1 d;
          ReadSettingsText(d.settings, full.substr(0, n), "ust.txt");
          DeriveThresholds(d);
          ++completed;
        },
        "settings prefix " + std::to_string(n));
  }
  EXPECT_GT(completed, 0);  // at least the whole file derives
}

TEST_F(Truncation, EveryProcessingPrefix) {
  Write("ust.txt", runcore_test::ValidSettings());
  const std::string full = ValidProcessing();
  DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "run.txt";
  std::int64_t fullCount = -1;
  for (std::size_t n = 0; n <= full.size(); ++n) {
    Write("run.txt", full.substr(0, n));
    d.RunStatus = 1;
    ResultOrClearError(
        [&] {
          RunProcessing(d);
          EXPECT_EQ(d.RunStatus, 0);
          EXPECT_TRUE(std::filesystem::exists("run.31"));
          if (n == full.size()) fullCount = d.SampleCount;
        },
        "processing prefix " + std::to_string(n));
    EXPECT_FALSE(std::filesystem::exists("ema.tip")) << n;
    EXPECT_FALSE(d.emaTip.isOpen()) << n;
  }
  EXPECT_EQ(fullCount, 27);  // 0 .. 0.52 s
}
