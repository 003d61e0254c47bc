#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <set>
#include <string>

#include "common/osc31.h"
#include "common/rtl_file.h"

using namespace kv::osc31;

namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

}  // namespace

TEST(Osc31, FileSizesAndOffsets) {
  EXPECT_EQ(FileSize(0, 16), 1964u);
  EXPECT_EQ(FileSize(16, 16), 2988u);
  EXPECT_EQ(SampleOffset(16, 2, 3), 104u + 4 * (16 + 3));
  EXPECT_EQ(ParameterBlockOffset(65535, 32), 104u + 4ull * 65535 * 32);  // no 32-bit overflow
}

TEST(Osc31, HeaderBytesAndRoundTrip) {
  TOscHeader h;
  h.CommentText[0] = 0x8F;  // "П" in code page 866
  h.ChannelFlags[0] = 1;
  h.ChannelFlags[31] = 7;
  h.N = 0x1234;
  h.C = 16;
  h.step = std::bit_cast<float>(kModelStepBits);
  std::string b = EncodeHeader(h);
  ASSERT_EQ(b.size(), kHeaderSize);
  EXPECT_EQ(static_cast<unsigned char>(b[0]), 0x8F);
  EXPECT_EQ(b[64], 1);
  EXPECT_EQ(b[95], 7);
  EXPECT_EQ(b.substr(96, 8), std::string("\x34\x12\x10\x00\x0A\xD7\xA3\x3C", 8));
  TOscHeader back;
  ASSERT_TRUE(DecodeHeader(AsBytes(b), back));
  EXPECT_EQ(back, h);
  EXPECT_EQ(CountFlaggedChannels(back), 2u);
}

TEST(Osc31, RecordFieldsAtTheirOffsets) {
  std::string ch(26, '\0');
  ch.replace(0, 3, "Ia\0", 3);
  ch[22] = 4;
  ch[23] = 'x';
  ch[24] = 0x01;
  ch[25] = 0x02;
  TOscChannel c;
  ASSERT_TRUE(DecodeChannel(AsBytes(ch), c));
  EXPECT_EQ(NameToUtf8(c), "Ia");
  EXPECT_EQ(c.typeCode, 4);
  EXPECT_EQ(c.stored, 0x0201);
  EXPECT_EQ(EncodeChannel(c), ch);

  std::string sec(50, '\0');
  sec.replace(0, 4, "Sum\0", 4);
  sec[16] = 2;
  sec[18] = 1;   // channel 1
  sec[49] = 1;   // channel 32
  TOscSection s;
  ASSERT_TRUE(DecodeSection(AsBytes(sec), s));
  EXPECT_EQ(s.typeCode, 2);
  EXPECT_EQ(s.include[0], 1);
  EXPECT_EQ(s.include[31], 1);
  EXPECT_EQ(EncodeSection(s), sec);

  std::string q = std::string("\xFE\xFF", 2) + std::string(" U\0 \0 ", 6) + std::string("k V\0\0\0zz", 8);
  TOscQuantity qu;
  ASSERT_TRUE(DecodeQuantity(AsBytes(q), qu));
  EXPECT_EQ(qu.code, -2);
  EXPECT_EQ(QuantityNameToUtf8(qu), "U");
  EXPECT_EQ(QuantityUnitToUtf8(qu), "kV");  // bytes 14..15 ("zz") are not part of it
  EXPECT_EQ(EncodeQuantity(qu), q);
}

TEST(Osc31, DecodersNeverReadOutsideTheBuffer) {
  std::string block = RandomBytes(kParameterBlockSize, 1);
  TOscHeader h;
  h.N = 99;
  EXPECT_FALSE(DecodeHeader(AsBytes(block).first(kHeaderSize - 1), h));
  EXPECT_EQ(h.N, 99);  // untouched on failure
  TOscChannel c;
  TOscSection s;
  TOscQuantity q;
  EXPECT_FALSE(DecodeChannel(AsBytes(block).first(25), c));
  EXPECT_FALSE(DecodeSection(AsBytes(block).first(49), s));
  EXPECT_FALSE(DecodeQuantity(AsBytes(block).first(15), q));
  EXPECT_FALSE(DecodeChannelAt(AsBytes(block), 0, c));
  EXPECT_FALSE(DecodeChannelAt(AsBytes(block), 33, c));
  EXPECT_FALSE(DecodeSectionAt(AsBytes(block), 17, s));
  EXPECT_FALSE(DecodeQuantityAt(AsBytes(block), 13, q));
  EXPECT_TRUE(DecodeQuantityAt(AsBytes(block), 12, q));
  EXPECT_FALSE(DecodeQuantityAt(AsBytes(block).first(kParameterBlockSize - 1), 12, q));
  EXPECT_TRUE(DecodeChannelAt(AsBytes(block).first(kChannelTableOffset + 26), 1, c));
  EXPECT_FALSE(DecodeChannelAt(AsBytes(block).first(kChannelTableOffset + 26), 2, c));
  TOscParameterBlock p;
  EXPECT_FALSE(DecodeParameterBlock(AsBytes(block).first(kParameterBlockSize - 1), p));
  std::uint16_t u16 = 0;
  float f = 0;
  EXPECT_FALSE(ReadU16(AsBytes(block), kParameterBlockSize - 1, u16));
  EXPECT_FALSE(ReadF32(AsBytes(block), SIZE_MAX - 1, f));
  EXPECT_TRUE(ReadF32(AsBytes(block), kParameterBlockSize - 4, f));
}

TEST(Osc31, ParameterBlockRoundTripKeepsEveryByte) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::string bytes = RandomBytes(kParameterBlockSize, seed);
    TOscParameterBlock p;
    ASSERT_TRUE(DecodeParameterBlock(AsBytes(bytes), p));
    EXPECT_EQ(EncodeParameterBlock(p), bytes);
    // The record-level decoders agree with the whole-block one.
    TOscChannel c;
    TOscSection s;
    TOscQuantity q;
    ASSERT_TRUE(DecodeChannelAt(AsBytes(bytes), 32, c));
    ASSERT_TRUE(DecodeSectionAt(AsBytes(bytes), 16, s));
    ASSERT_TRUE(DecodeQuantityAt(AsBytes(bytes), 1, q));
    EXPECT_EQ(c, p.channels[31]);
    EXPECT_EQ(s, p.sections[15]);
    EXPECT_EQ(q, p.quantities[0]);
    std::array<TOscQuantity, kQuantityCount> table;
    ASSERT_TRUE(DecodeQuantityTable(AsBytes(bytes).last(kQuantityTableSize), table));
    EXPECT_EQ(table, p.quantities);
  }
}

TEST(Osc31, StoredTextsCutAndConverted) {
  TOscHeader h;
  SetOemText(h.CommentText, "Опыт 1", 63);
  EXPECT_EQ(CommentToUtf8(h), "Опыт 1");
  std::fill(h.CommentText.begin(), h.CommentText.end(), 'a');
  EXPECT_EQ(CommentToUtf8(h).size(), 64u);
  TOscChannel c;
  std::fill(c.name.begin(), c.name.end(), 'b');  // no NUL: at most 16 shown
  EXPECT_EQ(NameToUtf8(c), std::string(16, 'b'));
  SetOemText(c.name, "Напряжение U на шинах", 16);
  EXPECT_EQ(c.name[16], 0);
  EXPECT_EQ(NameToUtf8(c), "Напряжение U на ");
  TOscQuantity q;
  SetOemText(q.name, "Сигнал", 6);  // fills the field, no NUL
  EXPECT_EQ(QuantityNameToUtf8(q), "Сигнал");
}

// The shipped "parl" describes the model's 16 signals as the readers expect.
TEST(Osc31, ShippedParlDescribesTheSixteenChannels) {
  std::string bytes = kv::ReadWholeFile(std::string(KV_SOURCE_DIR) + "/examples/parl");
  ASSERT_EQ(bytes.size(), kParameterBlockSize);
  TOscParameterBlock p;
  ASSERT_TRUE(DecodeParameterBlock(AsBytes(bytes), p));
  std::set<int> codes;
  for (const TOscQuantity& q : p.quantities) {
    if (q.code == 0) continue;
    EXPECT_TRUE(codes.insert(q.code).second) << "duplicate quantity code " << q.code;
    EXPECT_FALSE(QuantityNameToUtf8(q).empty());
  }
  std::set<std::string> names;
  for (unsigned j = 1; j <= kMaxChannels; ++j) {
    const TOscChannel& c = p.channels[j - 1];
    if (j <= 16) {
      EXPECT_NE(c.stored, 0) << j;
      EXPECT_TRUE(codes.count(c.typeCode)) << j;
      std::string name = NameToUtf8(c);
      EXPECT_FALSE(name.empty());
      EXPECT_TRUE(names.insert(name).second) << name;
      EXPECT_NE(std::find(c.name.begin(), c.name.begin() + 17, 0), c.name.begin() + 17) << name << " not ended";
    } else {
      EXPECT_EQ(c.stored, 0) << j;
    }
  }
  EXPECT_EQ(NameToUtf8(p.channels[0]), "Ток I");
  EXPECT_EQ(NameToUtf8(p.channels[4]), "Угол дельта");
  int sections = 0;
  for (const TOscSection& s : p.sections) {
    bool any = false;
    for (unsigned j = 1; j <= kMaxChannels; ++j) {
      if (s.include[j - 1] != 1) continue;
      any = true;
      EXPECT_LE(j, 16u);
    }
    if (!any) continue;
    ++sections;
    EXPECT_TRUE(codes.count(s.typeCode));
    EXPECT_NE(std::find(s.name.begin(), s.name.end(), 0), s.name.end());
  }
  EXPECT_GE(sections, 2);
}
