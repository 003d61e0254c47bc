// Damaged files: every prefix of a valid file and every single-byte change of
// its header. Nothing may crash, hang or read outside a buffer (run under the
// sanitizer build), and every refusal must carry a message.
#include <gtest/gtest.h>

#include <string>

#include "common/io_error.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

namespace {

struct CountingSink : PointSink {
  void AddXY(double, double) override { ++n; }
  long n = 0;
};

// Opens a ".31" and fills every channel and section it offers; returns the
// number of points, or -1 for a refused file.
long ExerciseOsc(const std::string& path) {
  OscReader osc;
  RzsReader rzs;
  if (!osc.OpenOscFile(path)) {
    EXPECT_FALSE(osc.LastError().empty());
    EXPECT_FALSE(osc.IsOpen());
    return -1;
  }
  CountingSink sink;
  for (unsigned index = 1; index <= osc.C() + 16; ++index) {
    try {
      FillSeries(kKindOscillogram, sink, static_cast<std::uint8_t>(index), osc, rzs);
    } catch (const IoError& e) {
      ADD_FAILURE() << "a file that opened failed to fill: " << e.what();
    }
  }
  return sink.n;
}

long ExerciseRzs(const std::string& path) {
  OscReader osc;
  RzsReader rzs;
  rzs.Assign(path);
  try {
    rzs.ReadRzsHeader();
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()), "");
    EXPECT_FALSE(rzs.IsOpen());
    return -1;
  }
  // The dialog reads two rows for the step.
  try {
    rzs.ReadRzsRow();
    rzs.ReadRzsRow();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
  }
  int groups = rzs.RzsGroupCount;
  rzs.Close();
  CountingSink sink;
  for (int g = 1; g <= groups; ++g) {
    try {
      FillSeries(2, sink, static_cast<std::uint8_t>(g), osc, rzs);
    } catch (const IoError& e) {
      EXPECT_NE(std::string(e.what()), "");
    }
  }
  return sink.n;
}

}  // namespace

TEST(DamagedOscillogram, EveryPrefixIsRefusedOrReadSafely) {
  TempDir dir;
  osc31::TOscParameterBlock p = MakeParameterBlock(3);
  p.sections[0].include = {1, 1, 1};
  const std::string full = BuildOsc(MakeHeader(7, 3, "x"), p);
  const std::string path = dir.file("t.31");
  const std::size_t needed = 104 + 4 * 7 * 3 + 1660;
  for (std::size_t len = 0; len < full.size(); ++len) {
    WriteBytes(path, full.substr(0, len));
    long points = ExerciseOsc(path);
    if (len < needed) {
      EXPECT_EQ(points, -1) << len;
    } else {
      EXPECT_EQ(points, 7 * (3 + 16)) << len;
    }
  }
  WriteBytes(path, full);
  EXPECT_EQ(ExerciseOsc(path), 7 * (3 + 16));
}

TEST(DamagedOscillogram, EverySingleByteChangeOfTheHeader) {
  TempDir dir;
  osc31::TOscParameterBlock p = MakeParameterBlock(4);
  p.sections[1].include = {1, 0, 1, 1};
  const std::string full = BuildOsc(MakeHeader(5, 4, "x"), p);
  const std::string path = dir.file("t.31");
  int refused = 0, read = 0;
  for (std::size_t at = 0; at < osc31::kHeaderSize; ++at) {
    for (unsigned char v : {0x00, 0x01, 0x21, 0x7F, 0x80, 0xFF}) {
      std::string bytes = full;
      bytes[at] = static_cast<char>(v);
      WriteBytes(path, bytes);
      (ExerciseOsc(path) < 0 ? refused : read)++;
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(read, 0);
  // Channel descriptors whose stored words disagree with the flags: sums
  // still take only samples the file has.
  for (unsigned j = 0; j < 32; ++j) p.channels[j].stored = 1;
  p.sections[2].include.fill(1);
  WriteBytes(path, BuildOsc(MakeHeader(5, 4), p));
  EXPECT_EQ(ExerciseOsc(path), 5 * (4 + 16));
}

TEST(DamagedResultFile, EveryPrefixAndEveryHeaderByte) {
  TempDir dir;
  const std::string full = MakeRzs(4, 3);
  const std::string path = dir.file("t.rzs");
  const std::size_t rows = 3 * 4 * 4;
  for (std::size_t len = 0; len < full.size(); ++len) {
    WriteBytes(path, full.substr(0, len));
    long points = ExerciseRzs(path);
    if (len < full.size() - rows) {
      EXPECT_EQ(points, -1) << len;
    } else {
      EXPECT_EQ(points, 0) << "a short result file gives no point: " << len;
    }
  }
  int refused = 0;
  for (std::size_t at = 0; at < full.size() - rows; ++at) {
    for (unsigned char v : {0x00, 0x01, 0x03, 0x10, 0x51, 0x80, 0xFF}) {
      std::string bytes = full;
      bytes[at] = static_cast<char>(v);
      WriteBytes(path, bytes);
      if (ExerciseRzs(path) < 0) ++refused;
    }
  }
  EXPECT_GT(refused, 0);
  WriteBytes(path, full);
  EXPECT_EQ(ExerciseRzs(path), 3 * 3);
}
