// Whole runs over the shipped example files: the asynchronous run trips the
// cycle criterion at the second confirmed slip, the stable swing trips
// nothing, and the same run twice gives the same oscillogram.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
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

// The sample block of an oscillogram (every record of the run, channel after
// channel) behind its 104-byte header.
std::string SampleBlock(const std::string& osc) {
  if (osc.size() < 104) return {};
  const std::size_t n = static_cast<unsigned char>(osc[96]) | static_cast<unsigned char>(osc[97]) << 8;
  const std::size_t c = static_cast<unsigned char>(osc[98]) | static_cast<unsigned char>(osc[99]) << 8;
  return osc.substr(104, n * c * 4);
}

std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char b : bytes) h = (h ^ b) * 1099511628211ULL;
  return h;
}

// Pins every record and row of the two shipped runs: the step may get faster,
// never different.
TEST_F(TorvinExamples, RecordsAndRowsStayBitIdentical) {
  struct Case {
    const char* file;
    std::size_t samples;
    std::uint64_t records;
    const char* rows;
  };
  const Case cases[] = {
      {"async", 401, 0xe85aa0103988ce60ULL,
       " 2.120| Угловой 1| Xeck|  9.170\n 2.160|   APNU1||\n 4.300| Цикловой 1| Prov|  2\n"},
      {"swing", 301, 0xc98fb5a1c558c831ULL, ""},
  };
  for (const Case& c : cases) {
    Run(std::string(c.file) + ".txt");
    const std::string block = SampleBlock(Slurp(std::string(c.file) + ".31"));
    EXPECT_EQ(block.size(), c.samples * 64) << c.file;
    EXPECT_EQ(Fnv1a(block), c.records) << c.file << std::hex << " 0x" << Fnv1a(block);
    std::string rows;
    for (const auto& r : Rows()) rows += r[0] + "|" + r[1] + "|" + r[2] + "|" + r[3] + "\n";
    EXPECT_EQ(rows, c.rows) << c.file;
  }
}

TEST_F(TorvinExamples, ShippedFilesAreWhatTheGeneratorWrites) {
  EXPECT_EQ(Slurp("ust.txt"), kv::transients::ExampleSettingsText());
  EXPECT_EQ(Slurp("async.txt"), kv::transients::AsyncExampleText());
  EXPECT_EQ(Slurp("swing.txt"), kv::transients::SwingExampleText());
}

}  // namespace
