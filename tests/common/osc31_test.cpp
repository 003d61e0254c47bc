#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>

#include "common/osc31.h"
#include "common/rtl_file.h"

using namespace kv::osc31;

TEST(Osc31, HeaderBytes) {
  EXPECT_EQ(FileSize(0, 16), 1964u);
  EXPECT_EQ(FileSize(16, 16), 2988u);
  EXPECT_EQ(SampleOffset(16, 2, 3), 104u + 4 * (16 + 3));
  EXPECT_EQ(ParameterBlockOffset(65535, 32), 104u + 4ull * 65535 * 32);  // no 32-bit overflow
  TOscHeader h;
  h.CommentText[0] = 0x8F;
  h.ChannelFlags[0] = 1;
  h.ChannelFlags[31] = 7;
  h.N = 0x1234;
  h.C = 16;
  h.step = std::bit_cast<float>(kModelStepBits);
  const std::string b = EncodeHeader(h);
  EXPECT_EQ(b, "\x8F" + std::string(63, '\0') + "\x01" + std::string(30, '\0') + "\x07" +
                   std::string("\x34\x12\x10\x00\x0A\xD7\xA3\x3C", 8));
  TOscHeader back;
  ASSERT_TRUE(DecodeHeader(AsBytes(b), back));
  EXPECT_EQ(back, h);
  back.N = 99;
  EXPECT_FALSE(DecodeHeader(AsBytes(b).first(103), back));
  EXPECT_EQ(back.N, 99);  // untouched
}

// Every field read from its offset and written back to it: a parameter block
// of random bytes comes back byte for byte.
TEST(Osc31, ParameterBlockFieldsAtTheirOffsets) {
  std::mt19937 rng(5);
  std::string bytes(kParameterBlockSize, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  auto at = [&](std::size_t off) { return static_cast<std::uint8_t>(bytes[off]); };
  TOscParameterBlock p;
  ASSERT_TRUE(DecodeParameterBlock(AsBytes(bytes), p));
  EXPECT_EQ(EncodeParameterBlock(p), bytes);
  const TOscChannel& c2 = p.channels[1];  // descriptor 2 at +8 + 26
  EXPECT_EQ(c2.name[0], at(34));
  EXPECT_EQ(c2.typeCode, at(34 + 22));
  EXPECT_EQ(c2.stored, at(34 + 24) | at(34 + 25) << 8);
  const TOscSection& s16 = p.sections[15];  // section 16 at +860 + 750
  EXPECT_EQ(s16.typeCode, at(1610 + 16));
  EXPECT_EQ(s16.include[31], at(1610 + 18 + 31));
  const TOscQuantity& q12 = p.quantities[11];  // entry 12: the block's last 16 bytes
  EXPECT_EQ(q12.code, static_cast<std::int16_t>(at(1844) | at(1845) << 8));
  EXPECT_EQ(q12.unit[7], at(1859));
  std::array<TOscQuantity, kQuantityCount> table;
  ASSERT_TRUE(DecodeQuantityTable(AsBytes(bytes).last(192), table));
  EXPECT_EQ(table, p.quantities);
  EXPECT_FALSE(DecodeParameterBlock(AsBytes(bytes).first(1859), p));
  EXPECT_FALSE(DecodeChannelTable(AsBytes(bytes).first(831), p.channels));
}

TEST(Osc31, StoredTextsAsShown) {
  TOscHeader h;
  SetOemText(h.CommentText, "Опыт 1", 63);
  EXPECT_EQ(CommentToUtf8(h), "Опыт 1");
  h.CommentText.fill('a');
  EXPECT_EQ(CommentToUtf8(h), std::string(64, 'a'));
  TOscChannel c;
  SetOemText(c.name, "Напряжение U на шинах", 16);
  EXPECT_EQ(c.name[16], 0);
  EXPECT_EQ(NameToUtf8(c), "Напряжение U на ");
  c.name.fill('b');  // no NUL: 16 shown
  EXPECT_EQ(NameToUtf8(c), std::string(16, 'b'));
  TOscQuantity q;
  std::memcpy(q.name.data(), " U\0 \0 ", 6);
  std::memcpy(q.unit.data(), "k V\0\0\0zz", 8);  // bytes 14..15 are not part of it
  EXPECT_EQ(QuantityNameToUtf8(q) + "," + QuantityUnitToUtf8(q), "U,kV");
}

// The shipped "parl" names the model's 16 signals in the order of its sample
// record: value k - 1 is channel k.
TEST(Osc31, ShippedParlFollowsTheSampleRecord) {
  const std::string bytes = kv::ReadWholeFile(std::string(KV_SOURCE_DIR) + "/examples/parl");
  ASSERT_EQ(bytes.size(), kParameterBlockSize);
  TOscParameterBlock p;
  ASSERT_TRUE(DecodeParameterBlock(AsBytes(bytes), p));
  auto unitOf = [&](std::uint8_t code) {
    for (const TOscQuantity& q : p.quantities)
      if (q.code == code) return QuantityUnitToUtf8(q);
    return std::string("?");
  };
  const char* want[16][2] = {
      {"Ток I", "кА"},          {"Напряжение U", "кВ"},    {"Акт. мощность P", "МВт"}, {"Реакт. мощн. Q", "Мвар"},
      {"Угол дельта", "град"},  {"Режим алгоритма", "о.е."}, {"Асинхр./пуск I", "о.е."}, {"Число циклов", "шт"},
      {"Угл.1/ГЕН_КЗ", "о.е."}, {"Угловой 2", "о.е."},     {"Сопротивл. Xэк", "Ом"},   {"U в точке Xэк", "кВ"},
      {"Цикл.1/по току", "о.е."}, {"Цикловой 2", "о.е."},  {"АПНУ 1", "о.е."},         {"АПНУ 2", "о.е."}};
  for (unsigned j = 0; j < kMaxChannels; ++j) {
    const TOscChannel& c = p.channels[j];
    EXPECT_EQ(c.stored != 0, j < 16) << j + 1;
    if (j >= 16) continue;
    EXPECT_EQ(NameToUtf8(c), want[j][0]);
    EXPECT_EQ(unitOf(c.typeCode), want[j][1]) << want[j][0];
    EXPECT_EQ(c.name[16], 0) << "NUL-ended within 16 characters";
  }
  // Sections of trip steps: channels 9, 10 (heights 5, 6), 13, 14 (7, 8), 15, 16 (9, 10).
  const char* sections[] = {" 9 10", " 13 14", " 15 16", " 9 10 13 14 15 16"};
  for (std::size_t s = 0; s < kSectionCount; ++s) {
    std::string included;
    for (unsigned j = 0; j < kMaxChannels; ++j)
      if (p.sections[s].include[j] == 1) included += " " + std::to_string(j + 1);
    EXPECT_EQ(included, s < 4 ? sections[s] : "") << NameToUtf8(p.sections[s]);
  }
}
