#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "viewer/core/file_error.h"
#include "viewer/core/un_osc.h"
#include "viewer/core/viewer_text.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

namespace {

// Writes "<dir>/run.31" through the model's own writer from n records of
// "ema.tip" (value k - 1 of record i = SampleValue(k, i)).
std::string WriteWithModel(const TempDir& dir, unsigned n, const osc31::TOscParameterBlock& parl) {
  ChangeDir cd(dir.path());
  std::string ema;
  for (unsigned i = 0; i < n; ++i)
    for (unsigned k = 1; k <= 16; ++k) {
      std::uint8_t b[4];
      osc31::PutF32(b, SampleValue(k, i));
      ema.append(reinterpret_cast<const char*>(b), 4);
    }
  WriteBytes("ema.tip", ema);
  WriteBytes("parl", osc31::EncodeParameterBlock(parl));
  DatMod1 d;
  d.BaseName = "run";
  WriteOscillogramFile(d);
  return dir.file("run.31");
}

}  // namespace

class ModelFile : public ::testing::TestWithParam<unsigned> {};

// The model's file read back field by field and sample by sample; 500 and 501
// points cross the chunk boundary.
TEST_P(ModelFile, ReadsBackEveryFieldAndSample) {
  const unsigned n = GetParam();
  TempDir dir;
  osc31::TOscParameterBlock parl = MakeParameterBlock(16);
  std::string path = WriteWithModel(dir, n, parl);

  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(path)) << r.LastError();
  EXPECT_TRUE(r.IsOpen());
  EXPECT_EQ(r.N(), n);
  EXPECT_EQ(r.C(), 16u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(r.OscHeader.step), osc31::kModelStepBits);
  EXPECT_EQ(OemComment(std::string_view(reinterpret_cast<const char*>(r.OscHeader.CommentText.data()), 64)), "");
  for (unsigned j = 0; j < 32; ++j) EXPECT_EQ(r.OscHeader.ChannelFlags[j], j < 16 ? 1 : 0);
  EXPECT_EQ(r.OscChannels, parl.channels);
  EXPECT_EQ(r.OscSections, parl.sections);
  EXPECT_EQ(r.OscQuantities, parl.quantities);
  EXPECT_EQ(osc31::NameToUtf8(r.OscChannels[2]), "K3");
  EXPECT_EQ(QuantityCaption(r, 3), "U,kV");
  EXPECT_EQ(QuantityCaption(r, 7), "");

  r.RewindOscData();
  for (unsigned i = 0; i < n; ++i) {
    r.NextOscSample();
    for (unsigned k = 1; k <= 16; ++k) ASSERT_EQ(r.OscCurValues[k - 1], SampleValue(k, i)) << "point " << i << " ch " << k;
    if (i == 499) {
      EXPECT_EQ(r.OscAllLoaded(), n == 500);
    }
  }
  if (n == 501) {
    EXPECT_EQ(r.OscChunkCount(), 1);
    EXPECT_EQ(r.OscLoadedPoints(), 501);
  }
  if (n > 0) {
    EXPECT_TRUE(r.OscAllLoaded());
  }
  // Nothing beyond point N: an error, not the last values again.
  try {
    r.NextOscSample();
    FAIL() << "read past point N";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
  }
}

INSTANTIATE_TEST_SUITE_P(PointCounts, ModelFile, ::testing::Values(0u, 1u, 500u, 501u));

TEST(OscReader, ChannelsAfterAGapAndTrailingBytes) {
  TempDir dir;
  // Channels 2, 5 and 9 stored: stored channel 2 is descriptor 5, its point
  // 1 at byte 104 + 4N.
  osc31::TOscHeader h = MakeHeader(3, 3, "Опыт 1");
  h.ChannelFlags = {};
  h.ChannelFlags[1] = 1;
  h.ChannelFlags[4] = 7;
  h.ChannelFlags[8] = 1;
  std::string bytes = BuildOsc(h, MakeParameterBlock(3));
  osc31::TOscParameterBlock other = MakeParameterBlock(3);
  other.quantities[0].code = 42;
  bytes += std::string(50, 'x') + osc31::EncodeParameterBlock(other).substr(osc31::kQuantityTableOffset);
  WriteBytes(dir.file("a.31"), bytes);

  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(dir.file("a.31"))) << r.LastError();
  EXPECT_EQ(OemComment(std::string_view(reinterpret_cast<const char*>(r.OscHeader.CommentText.data()), 64)), "Опыт 1");
  EXPECT_EQ(r.OscQuantities[0].code, 42) << "quantity table is the file's last 192 bytes";
  r.RewindOscData();
  r.NextOscSample();
  EXPECT_EQ(r.OscCurValues[1], SampleValue(2, 0));
  r.NextOscSample();
  EXPECT_EQ(r.OscCurValues[2], SampleValue(3, 1));
}

TEST(OscReader, RefusedFilesKeepThePreviousRecords) {
  TempDir dir;
  WriteBytes(dir.file("good.31"), BuildOsc(MakeHeader(4, 2, "good"), MakeParameterBlock(2)));
  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(dir.file("good.31")));
  const osc31::TOscHeader before = r.OscHeader;
  const auto channelsBefore = r.OscChannels;

  struct Case {
    std::string name;
    std::string bytes;
    int code;
    std::string says;
  };
  osc31::TOscHeader mismatch = MakeHeader(2, 3);
  mismatch.ChannelFlags[10] = 1;
  std::string full = BuildOsc(MakeHeader(4, 2), MakeParameterBlock(2));
  std::vector<Case> cases = {
      {"c33.31", BuildOsc(MakeHeader(2, 0), MakeParameterBlock(0)).replace(98, 2, std::string("\x21\x00", 2)), kBadFileFormat, "33"},
      {"flags.31", BuildOsc(mismatch, MakeParameterBlock(3)), kBadFileFormat, "отмечено 4"},
      {"noblock.31", full.substr(0, 104 + 4 * 4 * 2), kReadBeyondEof, "нужно не менее"},
      {"short.31", full.substr(0, 100), kReadBeyondEof, "короче заголовка"},
      {"tiny.31", std::string(), kReadBeyondEof, "короче заголовка"},
      {"moresamples.31", full.replace(96, 2, std::string("\x00\x01", 2)), kReadBeyondEof, "256 точек"},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.file(c.name), c.bytes);
    EXPECT_FALSE(r.OpenOscFile(dir.file(c.name))) << c.name;
    EXPECT_FALSE(r.IsOpen()) << c.name;
    EXPECT_EQ(r.LastErrorCode(), c.code) << c.name;
    EXPECT_NE(r.LastError().find(c.says), std::string::npos) << c.name << ": " << r.LastError();
    EXPECT_NE(r.LastError().find(c.name), std::string::npos) << "the message names the file";
    EXPECT_EQ(r.OscHeader, before) << c.name;
    EXPECT_EQ(r.OscChannels, channelsBefore) << c.name;
    EXPECT_EQ(r.FileName(), dir.file("good.31"));
  }
  EXPECT_FALSE(r.OpenOscFile(dir.file("missing.31")));
  EXPECT_EQ(r.LastErrorCode(), kFileNotFound);
  EXPECT_NE(r.LastError().find("File not found"), std::string::npos);
  EXPECT_FALSE(r.OpenOscFile(dir.path()));  // a folder
  EXPECT_EQ(r.OscHeader, before);
  // The records still describe good.31, which opens again by its name.
  ASSERT_TRUE(r.ReadOscHeader());
  EXPECT_EQ(r.FileName(), dir.file("good.31"));
}

TEST(OscReader, SamplesOfAFileCutAfterOpeningAreAnError) {
  TempDir dir;
  std::string bytes = BuildOsc(MakeHeader(600, 2), MakeParameterBlock(2));
  WriteBytes(dir.file("a.31"), bytes);
  OscReader r;
  ASSERT_TRUE(r.OpenOscFile(dir.file("a.31")));
  WriteBytes(dir.file("a.31"), bytes.substr(0, 104 + 4 * 600 + 4 * 10));
  r.RewindOscData();
  try {
    r.NextOscSample();
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
    EXPECT_STREQ(e.what(), ("Read beyond end of file: " + dir.file("a.31")).c_str());
  }
  // The failed chunk is not served on the next call either.
  EXPECT_THROW(r.NextOscSample(), IoError);
  r.Close();
  EXPECT_THROW(r.RewindOscData(), IoError);
}

TEST(OscReader, ReadersAreIndependent) {
  TempDir dir;
  WriteBytes(dir.file("a.31"), BuildOsc(MakeHeader(3, 1, "A"), MakeParameterBlock(1)));
  WriteBytes(dir.file("b.31"), BuildOsc(MakeHeader(5, 2, "B"), MakeParameterBlock(2)));
  OscReader current, preview;
  ASSERT_TRUE(current.OpenOscFile(dir.file("a.31")));
  ASSERT_TRUE(preview.OpenOscFile(dir.file("b.31")));
  EXPECT_EQ(current.N(), 3u);
  EXPECT_EQ(preview.N(), 5u);
  current.RewindOscData();
  current.NextOscSample();
  EXPECT_EQ(current.OscCurValues[0], SampleValue(1, 0));
}
