// The ".rzs" reader and series filling from it.
#include <gtest/gtest.h>

#include <cmath>

#include "common/io_error.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"
#include "osc_test_files.h"

using namespace kv;
using namespace kvtest;

namespace {

// -1 for a header cut short, -2 for one refused otherwise (its message in
// *why); then the points of every group, none when a row is missing.
long Exercise(RzsReader& rzs, const std::string& path, std::string* why = nullptr) {
  OscReader osc;
  Points sink;
  rzs.Assign(path);
  try {
    rzs.ReadRzsHeader();
  } catch (const IoError& e) {
    EXPECT_FALSE(rzs.IsOpen());
    if (why) *why = e.what();
    return e.code() == kReadBeyondEof ? -1 : -2;
  }
  try {
    for (int g = 1; g <= rzs.RzsGroupCount; ++g) FillSeries(2, sink, static_cast<std::uint8_t>(g), osc, rzs);
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kReadBeyondEof);
  }
  return static_cast<long>(sink.xy.size());
}

}  // namespace

TEST(RzsReader, HeaderGroupsTextsAndRows) {
  TempDir dir;
  RzsBuilder b;
  b.put(4).put(2).put(3).group({7, 8, 3}).group({}).group({4});  // the last record counts; none gives 0
  b.bytes += std::string(16, '\0');
  for (std::uint16_t v : {3, 1, 3, 0, 5}) b.put(v);  // 3 text lines; lengths 1, 3, 0, 5
  b.bytes += std::string("tP1 \xE3\xA3\xAE\xAB cMW deg\0\0sa bx\0y  ", 27);
  for (float v : {0.0f, 1.5f, NAN, -2.0f, 0.01f, 2.5f, 3.0f, INFINITY}) b.put(v);
  WriteBytes(dir.file("a.rzs"), b.bytes);
  RzsReader r;
  r.Assign(dir.file("a.rzs"));
  r.ReadRzsHeader();
  EXPECT_EQ(r.RzsColCount * 100 + r.RzsRowCount * 10 + r.RzsLineCount, 423);
  EXPECT_EQ(r.GroupTypeCode(1) * 100 + r.GroupTypeCode(2) * 10 + r.GroupTypeCode(3), 304);
  EXPECT_EQ(r.RzsNames[0][1], "P1 ") << "trailing blanks are kept";
  EXPECT_EQ(r.RzsNames[1][3], std::string("deg\0\0", 5)) << "NULs are kept";
  EXPECT_EQ(r.RzsNames[2][3], std::string("x\0y  ", 5));
  EXPECT_EQ(r.ReadRzsRow() + r.ReadRzsRow(), 0);
  EXPECT_EQ(r.ReadRzsRow(), -1);
  OscReader osc;
  Points p;
  FillSeries(2, p, 2, osc, r);  // values as read, NaN included
  ASSERT_EQ(p.xy.size(), 2u);
  EXPECT_TRUE(std::isnan(p.xy[0].second));
  EXPECT_EQ(p.xy[1], std::pair(double(0.01f), 3.0));
  EXPECT_FALSE(r.IsOpen());
  WriteBytes(dir.file("long.rzs"), MakeRzs(1, 70000));  // rows counted beyond 16 bits
  r.Assign(dir.file("long.rzs"));
  r.ReadRzsHeader();
  while (r.ReadRzsRow() == 0) continue;
  EXPECT_EQ(r.RzsRow[0], 0.01f * 69999);
}

// Counts the records cannot hold are refused by name; the previous header stays.
TEST(RzsReader, CountsBeyondTheRecordsAreRefused) {
  TempDir dir;
  WriteBytes(dir.file("good.rzs"), MakeRzs(3, 1));
  RzsReader r;
  r.Assign(dir.file("good.rzs"));
  r.ReadRzsHeader();
  auto file = [](int cols, int rows, int groups, int k, std::uint16_t lines, std::uint16_t len2) {
    RzsBuilder b;
    b.put(cols).put(rows).put(groups).put(k).bytes += std::string(2 + 22 + 8, '\0');
    return b.put(lines).put(std::uint16_t{80}).put(len2).bytes;
  };
  const std::pair<std::string, const char*> cases[] = {
      {file(16, 1, 0, 0, 0, 0), "число столбцов 16"}, {file(0, 1, 0, 0, 0, 0), "число столбцов 0"},
      {file(3, -1, 0, 0, 0, 0), "число строк -1"},     {file(3, 1, 3, 0, 0, 0), "число явлений 3 при 3 столбцах"},
      {file(3, 1, -1, 0, 0, 0), "число явлений -1"},   {file(3, 1, 1, -1, 0, 0), "число записей -1"},
      {file(3, 1, 1, 256, 0, 0), "число записей 256"}, {file(2, 1, 1, 1, 4, 0), "число строк подписи 4"},
      {file(2, 1, 1, 1, 1, 81), "подпись столбца 2 длиной 81"}};
  for (const auto& [bytes, says] : cases) {
    WriteBytes(dir.file("bad.rzs"), bytes);
    std::string why;
    EXPECT_EQ(Exercise(r, dir.file("bad.rzs"), &why), -2) << says;
    EXPECT_NE(why.find(says), std::string::npos) << why;
    EXPECT_NE(why.find("bad.rzs"), std::string::npos) << why;
    EXPECT_EQ(r.RzsNames[0][1], "P1  ");
  }
  // More rows than the file can hold: refused at the open, from its size.
  std::string huge = MakeRzs(3, 2);
  huge.replace(4, 4, "\xFF\xFF\xFF\x7F", 4);
  for (const std::string& bytes : {huge, MakeRzs(3, 2).substr(0, MakeRzs(3, 2).size() - 1)}) {
    WriteBytes(dir.file("bad.rzs"), bytes);
    std::string why;
    EXPECT_EQ(Exercise(r, dir.file("bad.rzs"), &why), -1);
    EXPECT_NE(why.find(bytes == huge ? "строк: 2147483647, а в файле их помещается 2" : "строк: 2, а в файле их помещается 1"),
              std::string::npos)
        << why;
    EXPECT_NE(why.find("bad.rzs"), std::string::npos) << why;
    EXPECT_EQ(r.RzsRowCount, 1);
  }
}

// Every prefix is refused at the open until the last row is whole; then
// every header byte changed.
TEST(DamagedResultFile, EveryPrefixAndHeaderByte) {
  TempDir dir;
  const std::string full = MakeRzs(4, 3), path = dir.file("t.rzs");
  const std::size_t header = full.size() - 3 * 4 * 4;
  RzsReader r;
  for (std::size_t len = 0; len <= full.size(); ++len) {
    WriteBytes(path, full.substr(0, len));
    EXPECT_EQ(Exercise(r, path), len < full.size() ? -1 : 3 * 3) << len;
  }
  int refused = 0;
  for (std::size_t at = 0; at < header; ++at)
    for (char v : {'\x00', '\x01', '\x03', '\x10', '\x51', '\x80', '\xFF'}) {
      WriteBytes(path, std::string(full).replace(at, 1, 1, v));
      refused += Exercise(r, path) < 0;
    }
  EXPECT_GT(refused, 0);
}
