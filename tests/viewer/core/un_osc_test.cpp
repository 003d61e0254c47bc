// The ".31" reader and series filling from it. Damaged files must never
// crash, hang or read outside a buffer (also run under the sanitizer build).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "viewer/core/file_error.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

namespace {

std::vector<std::pair<double, double>> Fill(OscReader& osc, unsigned index) {
  RzsReader rzs;
  Points p;
  FillSeries(kKindOscillogram, p, static_cast<std::uint8_t>(index), osc, rzs);
  EXPECT_FALSE(osc.IsOpen());
  return p.xy;
}

// Opens a ".31" and fills every channel and section: the points, or -1 for a
// refused file (which must say why). A file that opened must fill.
long Exercise(const std::string& path) {
  OscReader osc;
  if (!osc.OpenOscFile(path)) return osc.LastError().empty() ? -2 : -1;
  std::size_t points = 0;
  for (unsigned index = 1; index <= osc.C() + 16; ++index) EXPECT_NO_THROW(points += Fill(osc, index).size());
  return static_cast<long>(points);
}

}  // namespace

class ModelFile : public ::testing::TestWithParam<unsigned> {};

// The model's own file read back; 500 and 501 points cross the chunk edge.
TEST_P(ModelFile, ReadsBackEveryFieldAndSample) {
  const unsigned n = GetParam();
  TempDir dir;
  const osc31::TOscParameterBlock parl = MakeParameterBlock(16);
  DatMod1 d;
  for (unsigned i = 0; i < n; ++i) {
    kv::TSampleRecord record;  // record i, value k - 1
    for (unsigned k = 1; k <= 16; ++k) record.v[k - 1] = SampleValue(k, i);
    d.Records.append(record);
  }
  WriteBytes(dir.file("parl"), osc31::EncodeParameterBlock(parl));
  const fs::path old = fs::current_path();
  fs::current_path(dir.path);
  d.BaseName = "run";
  WriteOscillogramFile(d);
  fs::current_path(old);

  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(dir.file("run.31"))) << r.LastError();
  EXPECT_EQ(r.N() * 100 + r.C(), n * 100 + 16);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(r.OscHeader.step), osc31::kModelStepBits);
  EXPECT_TRUE(r.OscChannels == parl.channels && r.OscSections == parl.sections && r.OscQuantities == parl.quantities);
  EXPECT_EQ(QuantityCaption(r, 3), "U,kV");
  r.RewindOscData();
  for (unsigned i = 0; i < n; ++i) {
    r.NextOscSample();
    for (unsigned k = 1; k <= 16; ++k) ASSERT_EQ(r.OscCurValues[k - 1], SampleValue(k, i)) << i << " " << k;
    if (i == 499) {
      EXPECT_EQ(r.OscAllLoaded(), n == 500);
    }
  }
  EXPECT_EQ(r.OscChunkCount(), n == 501 ? 1 : static_cast<int>(n));
  EXPECT_THROW(r.NextOscSample(), IoError) << "nothing beyond point N";
  const auto xy = Fill(r, 16);  // X = (i - 1) * the float32 step
  ASSERT_EQ(xy.size(), n);
  for (unsigned i = 0; i < n; ++i) ASSERT_EQ(xy[i], std::pair(i * double(0.02f), double(SampleValue(16, i))));
}

INSTANTIATE_TEST_SUITE_P(PointCounts, ModelFile, ::testing::Values(0u, 1u, 500u, 501u));

TEST(OscReader, SectionsGapsAndTrailingBytes) {
  TempDir dir;
  // Descriptors 1..6 but 4 are stored: stored channels 1..5 carry
  // descriptors 1, 2, 3, 5, 6. The quantity table is the last 192 bytes.
  osc31::TOscParameterBlock p = MakeParameterBlock(6);
  p.channels[3].stored = 0;
  p.sections[0].include = {0, 0, 1, 0, 1, 2};  // stored 3 and 4; 2 does not include
  p.sections[1].include = {0, 0, 0, 1};        // not stored: nothing
  p.sections[2].include = {1, 1};
  std::string bytes = BuildOsc(2, 5, p);
  PutF32At(bytes, osc31::SampleOffset(2, 1, 1), NAN);
  PutF32At(bytes, osc31::SampleOffset(2, 2, 1), -INFINITY);
  p.quantities[0].code = 42;
  WriteBytes(dir.file("s.31"), bytes + "xyz" + osc31::EncodeParameterBlock(p).substr(osc31::kQuantityTableOffset));
  OscReader osc;
  ASSERT_TRUE(osc.OpenOscFile(dir.file("s.31")));
  EXPECT_EQ(osc.OscQuantities[0].code, 42);
  const double v[3][2] = {{SampleValue(1, 0), SampleValue(2, 0)}, {SampleValue(3, 0), SampleValue(4, 0)},
                          {SampleValue(3, 1), SampleValue(4, 1)}};
  EXPECT_EQ(Fill(osc, 1)[1].second, 0.0) << "a NaN sample becomes 0";
  EXPECT_EQ(Fill(osc, 5 + 1), (std::vector<std::pair<double, double>>{{0, v[1][0] + v[1][1]}, {0.02f, v[2][0] + v[2][1]}}));
  EXPECT_EQ(Fill(osc, 5 + 2)[1].second, 0.0);
  EXPECT_EQ(Fill(osc, 5 + 3)[0].second, v[0][0] + v[0][1]);
  EXPECT_EQ(Fill(osc, 5 + 3)[1].second, 0.0) << "NaN and -Inf count as 0 in a sum";
}

TEST(OscReader, RefusedFilesKeepThePreviousRecords) {
  TempDir dir;
  const std::string full = BuildOsc(4, 2, MakeParameterBlock(2));
  WriteBytes(dir.file("good.31"), full);
  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(dir.file("good.31")));
  const osc31::TOscHeader before = r.OscHeader;
  auto patched = [&](std::size_t at, const char* b, std::size_t n) { return std::string(full).replace(at, n, b, n); };
  osc31::TOscParameterBlock three = MakeParameterBlock(3), one = MakeParameterBlock(1);
  const std::pair<std::string, const char*> cases[] = {
      {patched(98, "\x21\x00", 2), "33 каналов"},         {patched(64 + 10, "\x01", 1), "отмечено 3"},
      {patched(100, "\0\0\0\0", 4), "шаг по времени 0"},  {patched(100, "\x01\x00\xC0\xFF", 4), "шаг по времени NAN"},
      {full.substr(0, 104 + 4 * 4 * 2), "нужно не менее"}, {full.substr(0, 100), "короче заголовка"},
      {patched(96, "\x00\x01", 2), "256 точек"},
      // The whole layout, up to the quantity table's last byte, or nothing.
      {full.substr(0, full.size() - 1), "нужно не менее 1996 байт, а в файле 1995"},
      {full.substr(0, full.size() - 192), "а в файле 1804"},
      {patched(96, "\x05\x00", 2), "для 5 точек 2 каналов"},  // one point more than it holds
      {BuildOsc(4, 2, three), "число каналов в заголовке (2) не совпадает с числом описаний записанных каналов (3)"},
      {BuildOsc(4, 2, one), "описаний записанных каналов (1)"}};
  for (const auto& [bytes, says] : cases) {
    WriteBytes(dir.file("bad.31"), bytes);
    EXPECT_FALSE(r.OpenOscFile(dir.file("bad.31")) || r.IsOpen()) << says;
    EXPECT_NE(r.LastError().find(says), std::string::npos) << r.LastError();
    EXPECT_NE(r.LastError().find("bad.31"), std::string::npos) << r.LastError();
    EXPECT_EQ(r.OscHeader, before);
  }
  EXPECT_FALSE(r.OpenOscFile(dir.file("missing.31")));
  EXPECT_NE(r.LastError().find("File not found"), std::string::npos);
  EXPECT_FALSE(r.OpenOscFile(dir.path));  // a folder
  ASSERT_TRUE(r.ReadOscHeader()) << "the records still describe good.31";
  EXPECT_EQ(r.FileName(), dir.file("good.31"));
}

// Fills come from the file as its open read it, whatever happens to it
// afterwards; a reader that never opened a file adds no point.
TEST(OscReader, FillsComeFromTheFileAsOpened) {
  TempDir dir;
  const std::string bytes = BuildOsc(600, 2, MakeParameterBlock(2));
  WriteBytes(dir.file("a.31"), bytes);
  OscReader r;
  EXPECT_THROW(Fill(r, 1), FileFormatError);
  ASSERT_TRUE(r.OpenOscFile(dir.file("a.31")));
  WriteBytes(dir.file("a.31"), bytes.substr(0, 104 + 4 * 600 + 4 * 10));  // cut after the open
  r.RewindOscData();
  for (unsigned i = 0; i < 600; ++i) r.NextOscSample();
  EXPECT_EQ(r.OscCurValues[1], SampleValue(2, 599));
  r.OscQuantities[0].code = 99;  // as the dialog does for result files
  fs::remove(dir.file("a.31"));
  const auto xy = Fill(r, 2 + 1);  // section 1: nothing included
  ASSERT_EQ(xy.size(), 600u);
  EXPECT_EQ(Fill(r, 2)[599].second, SampleValue(2, 599));
  EXPECT_EQ(r.OscQuantities[0].code, 3) << "the records come back with the file";
  EXPECT_THROW(Fill(r, 2 + 16 + 1), FileFormatError);
  EXPECT_THROW(Fill(r, 0), FileFormatError);
  EXPECT_THROW(r.RewindOscData(), IoError) << "closed after the fill";
  EXPECT_THROW(r.ChannelSamples(1), IoError);
}

TEST(DamagedOscillogram, EveryPrefixAndHeaderByte) {
  TempDir dir;
  osc31::TOscParameterBlock p = MakeParameterBlock(3);
  p.sections[0].include = {1, 1, 1};
  const std::string full = BuildOsc(7, 3, p), path = dir.file("t.31");
  for (std::size_t len = 0; len <= full.size(); ++len) {
    WriteBytes(path, full.substr(0, len));
    EXPECT_EQ(Exercise(path), len < full.size() ? -1 : 7 * (3 + 16)) << len;
  }
  int refused = 0;
  for (std::size_t at = 0; at < osc31::kHeaderSize; ++at)
    for (char v : {'\x00', '\x01', '\x21', '\x7F', '\x80', '\xFF'}) {
      WriteBytes(path, std::string(full).replace(at, 1, 1, v));
      const long points = Exercise(path);
      EXPECT_NE(points, -2) << "a refusal says why";
      refused += points < 0;
    }
  EXPECT_GT(refused, 0);
  // Stored words that disagree with the flags, in the file or after it.
  for (std::size_t at = osc31::FileSize(7, 3) - osc31::kParameterBlockSize; at < full.size(); ++at) {
    WriteBytes(path, std::string(full).replace(at, 1, 1, '\x01'));
    const long points = Exercise(path);
    EXPECT_TRUE(points == 7 * (3 + 16) || points == -1) << at;
  }
  for (auto& c : p.channels) c.stored = 1;
  p.sections[2].include.fill(1);
  WriteBytes(path, BuildOsc(7, 3, p));
  EXPECT_EQ(Exercise(path), -1);
}
