#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "common/io_error.h"
#include "viewer/core/file_error.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

namespace {

struct Points : PointSink {
  void AddXY(double x, double y) override { xy.emplace_back(x, y); }
  std::vector<std::pair<double, double>> xy;
};

}  // namespace

TEST(FillSeries, ChannelPointsAtMultiplesOfTheFloatStep) {
  TempDir dir;
  WriteBytes(dir.file("a.31"), BuildOsc(MakeHeader(3, 2), MakeParameterBlock(2)));
  OscReader osc;
  RzsReader rzs;
  ASSERT_TRUE(osc.OpenOscFile(dir.file("a.31")));
  osc.Close();
  Points p;
  p.xy.emplace_back(-1, -1);  // not cleared first
  FillSeries(kKindOscillogram, p, 2, osc, rzs);
  ASSERT_EQ(p.xy.size(), 4u);
  const double step = 0.02f;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(p.xy[i + 1].first, i * step);
    EXPECT_EQ(p.xy[i + 1].second, SampleValue(2, i));
  }
  EXPECT_FALSE(osc.IsOpen()) << "the file is closed after filling";
}

TEST(FillSeries, SectionsSumTheStoredChannelsTheyInclude) {
  TempDir dir;
  // Descriptors 1..6 except 4 are stored: stored channels 1..5 carry
  // descriptors 1, 2, 3, 5, 6.
  osc31::TOscParameterBlock p = MakeParameterBlock(6);
  p.channels[3].stored = 0;
  p.sections[0].include[2] = 1;  // descriptor 3 -> stored channel 3
  p.sections[0].include[4] = 1;  // descriptor 5 -> stored channel 4
  p.sections[0].include[5] = 2;  // 2 is not "included"
  p.sections[1].include[3] = 1;  // descriptor 4 is not stored: nothing
  p.sections[2].include[0] = 1;
  p.sections[2].include[1] = 1;
  osc31::TOscHeader h = MakeHeader(2, 5);
  std::string bytes = BuildOsc(h, p);
  // A NaN in stored channel 1 and an infinity in channel 2 at point 2.
  PutF32At(bytes, 104 + 4 * (0 * 2 + 1), std::numeric_limits<float>::quiet_NaN());
  PutF32At(bytes, 104 + 4 * (1 * 2 + 1), -std::numeric_limits<float>::infinity());
  WriteBytes(dir.file("s.31"), bytes);

  OscReader osc;
  RzsReader rzs;
  ASSERT_TRUE(osc.OpenOscFile(dir.file("s.31")));
  Points s1, s2, s3, ch1;
  FillSeries(kKindOscillogram, s1, 5 + 1, osc, rzs);
  FillSeries(kKindOscillogram, s2, 5 + 2, osc, rzs);
  FillSeries(kKindOscillogram, s3, 5 + 3, osc, rzs);
  FillSeries(kKindOscillogram, ch1, 1, osc, rzs);
  ASSERT_EQ(s1.xy.size(), 2u);
  for (unsigned i = 0; i < 2; ++i) {
    EXPECT_EQ(s1.xy[i].second, double(SampleValue(3, i)) + double(SampleValue(4, i)));
    EXPECT_EQ(s2.xy[i].second, 0.0);
  }
  EXPECT_EQ(s3.xy[0].second, double(SampleValue(1, 0)) + double(SampleValue(2, 0)));
  EXPECT_EQ(s3.xy[1].second, 0.0) << "NaN and -Inf count as 0 in a sum";
  EXPECT_EQ(ch1.xy[1].second, 0.0) << "a NaN sample becomes 0";
}

TEST(FillSeries, ResultColumnsPassValuesAsRead) {
  TempDir dir;
  std::string bytes = MakeRzs(3, 3);
  PutF32At(bytes, bytes.size() - 4, std::numeric_limits<float>::quiet_NaN());
  WriteBytes(dir.file("r.rzs"), bytes);
  OscReader osc;
  RzsReader rzs;
  rzs.Assign(dir.file("r.rzs"));
  Points p;
  FillSeries(2, p, 2, osc, rzs);
  ASSERT_EQ(p.xy.size(), 3u);
  EXPECT_EQ(p.xy[1].first, double(0.01f));
  EXPECT_EQ(p.xy[1].second, 21.0);
  EXPECT_TRUE(std::isnan(p.xy[2].second));
  EXPECT_FALSE(rzs.IsOpen());

  WriteBytes(dir.file("e.rzs"), MakeRzs(3, 0));
  rzs.Assign(dir.file("e.rzs"));
  Points none;
  FillSeries(2, none, 1, osc, rzs);
  EXPECT_TRUE(none.xy.empty());
  EXPECT_FALSE(rzs.IsOpen());
}

// A file that fails to read gives no point at all and an error to show.
TEST(FillSeries, AFileThatFailsAddsNoPoints) {
  TempDir dir;
  std::string osc31bytes = BuildOsc(MakeHeader(10, 2), MakeParameterBlock(2));
  WriteBytes(dir.file("a.31"), osc31bytes);
  std::string rzsBytes = MakeRzs(3, 10);
  OscReader osc;
  RzsReader rzs;
  ASSERT_TRUE(osc.OpenOscFile(dir.file("a.31")));
  osc.Close();
  Points p;

  // The oscillogram shrank since it was listed.
  WriteBytes(dir.file("a.31"), osc31bytes.substr(0, 104 + 4 * 10 * 2 + 100));
  EXPECT_THROW(FillSeries(kKindOscillogram, p, 1, osc, rzs), IoError);
  // ... or is gone.
  std::filesystem::remove(dir.file("a.31"));
  try {
    FillSeries(kKindOscillogram, p, 1, osc, rzs);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kFileNotFound);
    EXPECT_NE(std::string(e.what()).find("File not found"), std::string::npos);
  }
  // No such phenomenon.
  WriteBytes(dir.file("a.31"), osc31bytes);
  EXPECT_THROW(FillSeries(kKindOscillogram, p, 2 + 16 + 1, osc, rzs), FileFormatError);
  EXPECT_THROW(FillSeries(kKindOscillogram, p, 0, osc, rzs), FileFormatError);
  EXPECT_FALSE(osc.IsOpen());

  // A result file with fewer rows than its header says.
  WriteBytes(dir.file("r.rzs"), rzsBytes.substr(0, rzsBytes.size() - 5));
  rzs.Assign(dir.file("r.rzs"));
  try {
    FillSeries(2, p, 1, osc, rzs);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
    EXPECT_NE(std::string(e.what()).find("9 строк из 10"), std::string::npos) << e.what();
  }
  WriteBytes(dir.file("r.rzs"), rzsBytes);
  EXPECT_THROW(FillSeries(2, p, 3, osc, rzs), FileFormatError);
  EXPECT_TRUE(p.xy.empty());
  EXPECT_FALSE(rzs.IsOpen());
}

TEST(FillSeries, ZeroIfNotNumberOnlyForNanAndInfinities) {
  for (float v : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                  -std::numeric_limits<float>::infinity()}) {
    ZeroIfNotNumber(v);
    EXPECT_EQ(v, 0.0f);
  }
  for (float v0 : {0.0f, -0.0f, 1e-45f, -3.4e38f, 3.4028235e38f}) {
    float v = v0;
    ZeroIfNotNumber(v);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(v0));
  }
}
