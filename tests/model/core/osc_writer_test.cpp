#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/io_error.h"
#include "common/osc31.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"

namespace fs = std::filesystem;
using namespace kv;

namespace {

// Value k (0..15) of record i: distinct and exact in float32.
float Value(unsigned k, unsigned i) { return static_cast<float>(k) * 100.0f + static_cast<float>(i) * 0.5f; }

std::string Record(unsigned i) {
  std::string r(64, '\0');
  for (unsigned k = 0; k < 16; ++k) osc31::PutF32(reinterpret_cast<std::uint8_t*>(r.data()) + 4 * k, Value(k, i));
  return r;
}

std::string Pattern(std::size_t n, int seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + seed) & 0xFF);
  return s;
}

class OscWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "oscwriter-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    d.BaseName = "run";
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream f(name, std::ios::binary);
    f << bytes;
  }
  void WriteEma(unsigned n) {
    std::string s;
    for (unsigned i = 0; i < n; ++i) s += Record(i);
    Write("ema.tip", s);
  }
  // Files in the folder other than the expected ones (leftover temporaries).
  std::size_t FileCount() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator())); }
  int ErrorCode() {
    try {
      WriteOscillogramFile(d);
    } catch (const IoError& e) {
      return e.code();
    }
    return 0;
  }

  fs::path old_, dir_;
  DatMod1 d;
};

TEST_F(OscWriterTest, SixteenPointsLayout) {
  const std::string parl = Pattern(1860, 3);
  Write("parl", parl);
  WriteEma(16);
  WriteOscillogramFile(d);
  std::string f = ReadWholeFile("run.31");
  ASSERT_EQ(f.size(), 104u + 64 * 16 + 1860);  // 2988
  EXPECT_FALSE(fs::exists("ema.tip"));

  osc31::TOscHeader h;
  ASSERT_TRUE(osc31::DecodeHeader(osc31::AsBytes(f), h));
  EXPECT_EQ(h.CommentText[0], 0);
  for (unsigned j = 0; j < 32; ++j) EXPECT_EQ(h.ChannelFlags[j], j < 16 ? 1 : 0) << j;
  EXPECT_EQ(f.substr(96, 8), std::string("\x10\x00\x10\x00\x0A\xD7\xA3\x3C", 8));

  const std::uint16_t n = 16;
  for (unsigned k = 1; k <= 16; ++k)
    for (unsigned i = 0; i < n; ++i) {
      float v = 0;
      ASSERT_TRUE(osc31::ReadF32(osc31::AsBytes(f), osc31::SampleOffset(n, k, i), v));
      EXPECT_EQ(v, Value(k - 1, i)) << "channel " << k << " point " << i;
    }
  EXPECT_EQ(f.substr(104 + 64 * 16), parl);
}

TEST_F(OscWriterTest, NoSamplesAndALongerParl) {
  const std::string parl = Pattern(2500, 9);
  Write("parl", parl);
  WriteEma(0);
  d.SampleCount = 0;
  WriteOscillogramFile(d);
  std::string f = ReadWholeFile("run.31");
  ASSERT_EQ(f.size(), 1964u);
  EXPECT_EQ(f.substr(96, 4), std::string("\x00\x00\x10\x00", 4));
  EXPECT_EQ(f.substr(104), parl.substr(0, 1860));
  EXPECT_FALSE(fs::exists("ema.tip"));
}

TEST_F(OscWriterTest, PointCountIsTheRecordsWrittenAndBitsAreCopied) {
  Write("parl", Pattern(1860, 1));
  std::string ema = Record(0) + Record(1) + Record(2);
  ema.replace(64 + 8, 4, "\x01\x00\x80\x7F", 4);  // a signalling NaN in channel 3, point 1
  Write("ema.tip", ema + std::string(30, 'x'));  // plus a torn trailing record
  d.SampleCount = 7;                              // disagrees: the records decide
  WriteOscillogramFile(d);
  std::string f = ReadWholeFile("run.31");
  ASSERT_EQ(f.size(), 104u + 64 * 3 + 1860);
  EXPECT_EQ(f.substr(96, 2), std::string("\x03\x00", 2));
  EXPECT_EQ(f.substr(osc31::SampleOffset(3, 3, 1), 4), std::string("\x01\x00\x80\x7F", 4));
}

TEST_F(OscWriterTest, RunStillHoldingEmaTipOpen) {
  Write("parl", Pattern(1860, 2));
  d.emaTip.rewrite("ema.tip");
  for (unsigned i = 0; i < 5; ++i) d.emaTip.blockWrite(Record(i).data(), 64);
  WriteOscillogramFile(d);
  EXPECT_FALSE(d.emaTip.isOpen());
  EXPECT_EQ(ReadWholeFile("run.31").size(), 104u + 64 * 5 + 1860);
  EXPECT_FALSE(fs::exists("ema.tip"));
}

TEST_F(OscWriterTest, SecondRunReplacesTheFile) {
  Write("parl", Pattern(1860, 2));
  WriteEma(10);
  WriteOscillogramFile(d);
  WriteEma(2);
  WriteOscillogramFile(d);
  EXPECT_EQ(ReadWholeFile("run.31").size(), 104u + 64 * 2 + 1860);
  d.BaseName = "";  // a processing file name without a dot
  WriteEma(1);
  WriteOscillogramFile(d);
  EXPECT_TRUE(fs::exists(".31"));
}

TEST_F(OscWriterTest, MissingOrShortParlLeavesTheOldFileAlone) {
  Write("run.31", "old oscillogram");
  WriteEma(4);
  EXPECT_EQ(ErrorCode(), kFileNotFound);
  EXPECT_FALSE(fs::exists("ema.tip"));
  EXPECT_EQ(ReadWholeFile("run.31"), "old oscillogram");

  Write("parl", Pattern(1859, 0));
  WriteEma(4);
  try {
    WriteOscillogramFile(d);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
    EXPECT_EQ(e.text(), "Read beyond end of file");
  }
  EXPECT_FALSE(fs::exists("ema.tip"));
  EXPECT_EQ(ReadWholeFile("run.31"), "old oscillogram");
  EXPECT_EQ(FileCount(), 2u);  // parl and run.31: no temporary left
}

TEST_F(OscWriterTest, MissingEmaTipCreatesNothing) {
  Write("parl", Pattern(1860, 0));
  EXPECT_EQ(ErrorCode(), kFileNotFound);
  EXPECT_FALSE(fs::exists("run.31"));
}

TEST_F(OscWriterTest, FailedWriteReportsAndCleansUp) {
  Write("parl", Pattern(1860, 0));
  WriteEma(3);
  fs::create_directory("run.31");  // cannot be replaced by a file
  EXPECT_NE(ErrorCode(), 0);
  EXPECT_TRUE(fs::is_directory("run.31"));
  EXPECT_FALSE(fs::exists("ema.tip"));
  EXPECT_EQ(FileCount(), 2u);  // parl and the folder: no temporary left
}

}  // namespace
