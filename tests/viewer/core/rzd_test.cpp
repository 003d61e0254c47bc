#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/io_error.h"
#include "viewer/core/file_error.h"
#include "viewer/core/rzd.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

TEST(RzsReader, HeaderGroupsTextsAndRows) {
  TempDir dir;
  RzsBuilder b;
  b.i32(4);  // time + 3 columns, 3 groups
  b.i32(2);
  b.i32(3);
  b.group({7, 8, 3});  // three records: the third's code counts
  b.group({});         // no record: type code 0, not the previous group's
  b.group({4});
  b.raw(std::string(16, '\0'));
  b.u16(3);
  for (int len : {1, 3, 0, 5}) b.u16(static_cast<std::uint16_t>(len));
  b.raw("t" "P1 " "" "\xE3\xA3\xAE\xAB "); // line 1: "угол " in code page 866
  b.raw(std::string("cMW ") + std::string("deg\0\0", 5));
  b.raw(std::string("s") + "a b" + "" + std::string("x\0y  ", 5));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float v : {0.0f, 1.5f, nan, -2.0f, 0.01f, 2.5f, 3.0f, std::numeric_limits<float>::infinity()}) b.f32(v);
  WriteBytes(dir.file("a.rzs"), b.bytes);

  RzsReader r;
  r.Assign(dir.file("a.rzs"));
  r.ReadRzsHeader();
  EXPECT_EQ(r.RzsColCount, 4);
  EXPECT_EQ(r.RzsRowCount, 2);
  EXPECT_EQ(r.RzsGroupCount, 3);
  EXPECT_EQ(r.GroupTypeCode(1), 3);
  EXPECT_EQ(r.GroupTypeCode(2), 0);
  EXPECT_EQ(r.GroupTypeCode(3), 4);
  EXPECT_EQ(r.RzsLineCount, 3);
  EXPECT_EQ(r.RzsNames[0][1], "P1 ") << "trailing blanks are kept";
  EXPECT_EQ(r.RzsNames[0][2], "");
  EXPECT_EQ(r.RzsNames[0][3], "\xE3\xA3\xAE\xAB ");
  EXPECT_EQ(r.RzsNames[1][3], std::string("deg\0\0", 5)) << "NULs are kept";
  EXPECT_EQ(r.RzsNames[2][3], std::string("x\0y  ", 5));

  ASSERT_EQ(r.ReadRzsRow(), 0);
  EXPECT_EQ(r.RzsRow[0], 0.0f);
  EXPECT_EQ(r.RzsRow[1], 1.5f);
  EXPECT_TRUE(std::isnan(r.RzsRow[2])) << "NaN passes unchanged";
  EXPECT_EQ(r.RzsRow[3], -2.0f);
  ASSERT_EQ(r.ReadRzsRow(), 0);
  EXPECT_EQ(r.RzsRow[0], 0.01f);
  EXPECT_TRUE(std::isinf(r.RzsRow[3]));
  EXPECT_EQ(r.ReadRzsRow(), -1);
  EXPECT_EQ(r.RzsRowIndex, 2);
  r.Close();
  EXPECT_FALSE(r.IsOpen());
}

TEST(RzsReader, NoRowsAndShortFiles) {
  TempDir dir;
  WriteBytes(dir.file("empty.rzs"), MakeRzs(3, 0));
  RzsReader r;
  r.Assign(dir.file("empty.rzs"));
  r.ReadRzsHeader();
  EXPECT_EQ(r.ReadRzsRow(), -1);

  // Fewer rows than the header says: the missing row is the error, and the
  // row before it stays as read.
  std::string two = MakeRzs(3, 2);
  WriteBytes(dir.file("cut.rzs"), two.substr(0, two.size() - 1));
  r.Assign(dir.file("cut.rzs"));
  r.ReadRzsHeader();
  ASSERT_EQ(r.ReadRzsRow(), 0);
  try {
    r.ReadRzsRow();
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
    EXPECT_NE(std::string(e.what()).find("Read beyond end of file"), std::string::npos);
  }
  EXPECT_EQ(r.RzsRow[1], 10.0f);

  r.Assign(dir.file("none.rzs"));
  try {
    r.ReadRzsHeader();
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kFileNotFound);
  }
}

// Counts the records cannot hold are refused by name, and the previous
// header stays.
TEST(RzsReader, CountsBeyondTheRecordsAreRefused) {
  TempDir dir;
  WriteBytes(dir.file("good.rzs"), MakeRzs(3, 1));
  RzsReader r;
  r.Assign(dir.file("good.rzs"));
  r.ReadRzsHeader();

  auto header = [](int cols, int rows, int groups) {
    RzsBuilder b;
    b.i32(cols);
    b.i32(rows);
    b.i32(groups);
    return b;
  };
  struct Case {
    std::string bytes;
    std::string says;
  };
  std::vector<Case> cases;
  cases.push_back({header(16, 1, 0).bytes, "число столбцов 16"});
  cases.push_back({header(0, 1, 0).bytes, "число столбцов 0"});
  cases.push_back({header(-3, 1, 0).bytes, "число столбцов -3"});
  cases.push_back({header(3, -1, 0).bytes, "число строк -1"});
  cases.push_back({header(3, 1, 3).bytes, "число явлений 3 при 3 столбцах"});
  cases.push_back({header(3, 1, -1).bytes, "число явлений -1"});
  {
    RzsBuilder b = header(3, 1, 1);
    b.i32(-1);
    b.raw("xx");
    cases.push_back({b.bytes, "число записей -1"});
  }
  {
    RzsBuilder b = header(3, 1, 1);
    b.i32(256);
    b.raw("xx");
    cases.push_back({b.bytes, "число записей 256"});
  }
  {
    RzsBuilder b = header(2, 1, 1);
    b.group({1});
    b.raw(std::string(8, '\0'));
    b.u16(4);
    cases.push_back({b.bytes, "число строк подписи 4"});
  }
  {
    RzsBuilder b = header(2, 1, 1);
    b.group({1});
    b.raw(std::string(8, '\0'));
    b.u16(1);
    b.u16(80);
    b.u16(81);
    cases.push_back({b.bytes, "подпись столбца 2 длиной 81"});
  }
  for (const Case& c : cases) {
    WriteBytes(dir.file("bad.rzs"), c.bytes);
    r.Assign(dir.file("bad.rzs"));
    try {
      r.ReadRzsHeader();
      ADD_FAILURE() << c.says;
    } catch (const FileFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("bad.rzs"), std::string::npos);
    }
    EXPECT_FALSE(r.IsOpen());
    EXPECT_EQ(r.RzsColCount, 3);
    EXPECT_EQ(r.RzsGroupCount, 2);
    EXPECT_EQ(r.RzsNames[0][1], "P1  ");
  }
}

TEST(RzsReader, LargestHeaderAndRowCountBeyond16Bits) {
  TempDir dir;
  RzsBuilder b;
  b.i32(15);
  b.i32(70000);
  b.i32(14);
  for (int g = 0; g < 14; ++g) b.group(std::vector<std::uint8_t>(255, static_cast<std::uint8_t>(g)));
  b.raw(std::string(60, '\0'));
  b.u16(3);
  for (int j = 0; j < 15; ++j) b.u16(80);
  b.raw(std::string(3 * 15 * 80, 'a'));
  std::string head = b.bytes;
  for (int r = 0; r < 70000; ++r)
    for (int j = 0; j < 15; ++j) b.f32(static_cast<float>(r));
  WriteBytes(dir.file("big.rzs"), b.bytes);
  RzsReader r;
  r.Assign(dir.file("big.rzs"));
  r.ReadRzsHeader();
  EXPECT_EQ(r.GroupTypeCode(14), 13);
  EXPECT_EQ(r.RowsOffset(), static_cast<std::int64_t>(head.size()));
  int rows = 0;
  while (r.ReadRzsRow() == 0) ++rows;
  EXPECT_EQ(rows, 70000);
  EXPECT_EQ(r.RzsRow[14], 69999.0f);
}
