// Whole runs over the shipped example files: the asynchronous run trips the
// cycle criterion at the second confirmed slip, the stable swing trips
// nothing, and the same run twice gives the same oscillogram.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "tools/transient_gen.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

class TorvinExamples : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "torvin-ex-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    for (const char* name : {"ust.txt", "async.txt", "swing.txt", "parl"})
      fs::copy_file(fs::path(KV_SOURCE_DIR) / "examples" / name, dir_ / name);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void Run(const std::string& processing) {
    d.SettingsFileName = "ust.txt";
    d.ProcessingFileName = processing;
    d.RunStatus = 1;
    kv::RunProcessing(d);
    ASSERT_EQ(d.RunStatus, 0);
  }
  std::vector<std::array<std::string, 4>> Rows() const {
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 1; i < d.results.ResultRow && i < d.results.cells.size(); ++i) rows.push_back(d.results.cells[i]);
    return rows;
  }

  kv::DatMod1 d;
  fs::path old_, dir_;
};

TEST_F(TorvinExamples, AsynchronousRunTripsTheCycleCriterionAtTheSecondSlip) {
  Run("async.txt");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  // The direction is recognised before the first slip; APNU1 follows above
  // 150 degrees; the cycle criterion at the second confirmed slip.
  EXPECT_EQ(rows[0][1], " Угловой 1");
  EXPECT_EQ(rows[1][1], "   APNU1");
  EXPECT_EQ(rows[2][1], " Цикловой 1");
  EXPECT_EQ(rows[2][2], " Prov");
  EXPECT_EQ(rows[2][3], "  2");
  EXPECT_TRUE(fs::exists("async.31"));
  EXPECT_FALSE(fs::exists("ema.tip"));
  EXPECT_EQ(d.algo.SlipCount, 2);
}

TEST_F(TorvinExamples, StableSwingTripsNothing) {
  Run("swing.txt");
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(d.algo.SlipCount, 0);
  EXPECT_EQ(d.algo.TripAngle1 + d.algo.TripAngle2 + d.algo.TripCycle1 + d.algo.TripCycle2, 0);
  EXPECT_EQ(d.algo.ApnuOut1 + d.algo.ApnuOut2, 0);
}

TEST_F(TorvinExamples, SecondRunGivesTheSameOscillogramAndRows) {
  Run("async.txt");
  const std::string first = Slurp("async.31");
  const auto firstRows = Rows();
  Run("swing.txt");  // a different run in between
  Run("async.txt");
  EXPECT_EQ(Slurp("async.31"), first);
  EXPECT_EQ(Rows(), firstRows);
}

TEST_F(TorvinExamples, ShippedFilesAreWhatTheGeneratorWrites) {
  EXPECT_EQ(Slurp("ust.txt"), kv::transients::ExampleSettingsText());
  EXPECT_EQ(Slurp("async.txt"), kv::transients::AsyncExampleText());
  EXPECT_EQ(Slurp("swing.txt"), kv::transients::SwingExampleText());
}

}  // namespace
