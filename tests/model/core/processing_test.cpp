// Reading the processing file, resampling onto the 0.02 s grid, and the run.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/io_error.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "runcore_fixture.h"

using namespace kv;

namespace {

std::vector<GridPoint> Points(const std::string& text) {
  std::vector<GridPoint> out;
  ResampleText(text, "run.txt", [&](const GridPoint& p) { out.push_back(p); });
  return out;
}

std::vector<double> Times(const std::vector<GridPoint>& pts) {
  std::vector<double> t;
  for (const GridPoint& p : pts) t.push_back(p.SampleTime);
  return t;
}

// Column 2 = 100 + 1000 t and column 3 = 10 t, so any sample can be checked
// against its time; columns 4 and 5 constant.
std::string Line(double t, char marker = ' ') {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%c %.6f %.6f %.6f 30 -60\n", marker, t, 100 + 1000 * t, 10 * t);
  return buf;
}

// Grid times as the run builds them: repeated extended addition of 0.02.
std::vector<double> Grid(double start, int n) {
  std::vector<double> g{start};
  for (int i = 1; i < n; ++i) g.push_back(static_cast<double>(static_cast<long double>(g.back()) + 0.02L));
  return g;
}

double Col2(const GridPoint& p) { return static_cast<double>(p.Uph * std::sqrt(3.0L)); }

}  // namespace

TEST(Resample, ScalingOfTheFourColumns) {
  const auto p = Points(" 0 100 5 30 -60\n");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].SampleTime, 0.0);
  EXPECT_EQ(p[0].Uph, static_cast<float>(100.0L / std::sqrt(3.0L)));
  EXPECT_EQ(p[0].I, 5.0f);
  EXPECT_EQ(p[0].Pa, -10.0f);
  EXPECT_EQ(p[0].Qa, 20.0f);
  EXPECT_EQ(p[0].LineMarker, ' ');
}

TEST(Resample, FinerFileIsThinnedToLinesOnTheGrid) {
  std::string f;
  for (int i = 0; i <= 20; ++i) f += Line(i * 0.01);
  const auto p = Points(f);
  ASSERT_EQ(p.size(), 11u);
  for (std::size_t k = 0; k < p.size(); ++k) {
    // A line's own time (as written, 6 decimals) and its own values.
    const double lineTime = std::stod(Line(0.02 * static_cast<double>(k)).substr(2));
    EXPECT_EQ(p[k].SampleTime, lineTime) << k;
    char current[32];
    std::snprintf(current, sizeof current, "%.6f", 10 * lineTime);
    EXPECT_EQ(p[k].I, static_cast<float>(std::stold(current))) << k;
    EXPECT_NEAR(Col2(p[k]), 100 + 1000 * lineTime, 1e-3) << k;
  }
}

TEST(Resample, CoarserFileIsInterpolatedBeforeScaling) {
  const auto p = Points(" 0 100 0 0 0\n 0.05 200 0 0 0\n 0.1 300 0 0 0\n 0.15 400 0 0 0\n");
  ASSERT_EQ(p.size(), 8u);  // 0 .. 0.14
  EXPECT_EQ(Times(p), Grid(0, 8));
  // 140 at 0.02: the column is interpolated and stored as float32, then divided by sqrt 3.
  const float col = static_cast<float>(100.0L + 100.0L * static_cast<long double>(Grid(0, 2)[1]) / 0.05L);
  EXPECT_EQ(p[1].Uph, static_cast<float>(col / std::sqrt(3.0L)));
  EXPECT_NEAR(p[1].Uph, 80.829, 1e-3);
  EXPECT_NEAR(Col2(p[2]), 180, 1e-3);
  EXPECT_NEAR(Col2(p[3]), 220, 1e-3);
  EXPECT_NEAR(Col2(p[5]), 300, 1e-3);  // about 0.1: either pair gives the line's values
}

TEST(Resample, IrregularStepFollowsTheAccumulatedGrid) {
  std::string f;
  for (int i = 0; i <= 100; ++i) f += Line(i * 0.013);
  const auto p = Points(f);
  ASSERT_EQ(p.size(), 66u);  // 0 .. 1.30 s
  const auto g = Grid(0, 66);
  int onGrid = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    // Lines within 0.0001 s of a grid point keep their own time.
    EXPECT_NEAR(p[k].SampleTime, g[k], 0.0001) << k;
    onGrid += p[k].SampleTime != g[k];
    EXPECT_NEAR(Col2(p[k]), 100 + 1000 * p[k].SampleTime, 2e-3) << k;
    EXPECT_NEAR(p[k].I, 10 * p[k].SampleTime, 1e-5) << k;
    EXPECT_EQ(p[k].Pa, -10.0f);
    EXPECT_EQ(p[k].Qa, 20.0f);
  }
  EXPECT_GT(onGrid, 0);
}

TEST(Resample, GridStartsAtTheFirstLine) {
  std::string f;
  for (int i = 0; i <= 10; ++i) f += Line(1.003 + i * 0.01);
  const auto p = Points(f);
  ASSERT_EQ(p.size(), 6u);
  for (std::size_t k = 0; k < p.size(); ++k) EXPECT_NEAR(p[k].SampleTime, 1.003 + 0.02 * static_cast<double>(k), 1e-9);
}

TEST(Resample, ToleranceDecidesOnEarlierOrLater) {
  const auto p = Points(
      " 0 100 0 0 0\n"
      " 0.02005 200 0 0 0\n"  // 0.00005 late: on the grid, own time and values
      " 0.04 300 0 0 0\n"     // on the grid continued from 0.02, not from 0.02005
      " 0.0598 400 0 0 0\n"   // 0.0002 early: only an interpolation start
      " 0.0999 500 0 0 0\n"); // later: 0.06 and 0.08 interpolated from 0.0598
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[1].SampleTime, 0.02005);
  EXPECT_NEAR(Col2(p[1]), 200, 1e-4);
  EXPECT_EQ(p[2].SampleTime, 0.04);
  EXPECT_NEAR(p[3].SampleTime, 0.06, 1e-15);
  EXPECT_NEAR(Col2(p[3]), 400 + 100 * (0.06 - 0.0598) / (0.0999 - 0.0598), 1e-3);
  EXPECT_NEAR(p[4].SampleTime, 0.08, 1e-15);
}

TEST(Resample, BackwardsTimeOnlyBecomesTheNextStart) {
  const auto p = Points(" 0 100 0 0 0\n 0.02 200 0 0 0\n 0.01 1000 0 0 0\n 0.06 500 0 0 0\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_NEAR(Col2(p[2]), 1000 + (500 - 1000) * (0.04 - 0.01) / 0.05, 1e-3);
}

TEST(Resample, CommentsAndMarkers) {
  const auto p = Points("% header\n 0 100 1 0 0\n% between\nn0.02 100 2 0 0\n%\nx0.06 100 3 0 0\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[1].LineMarker, 'n');
  EXPECT_EQ(p[2].LineMarker, 'x');  // interpolated: the later line's marker
  EXPECT_EQ(p[3].LineMarker, 'x');
  EXPECT_TRUE(Points("").empty());
  EXPECT_TRUE(Points("% only\n% comments\n").empty());
}

TEST(Resample, LineLayoutQuirksStayAsTheyWere) {
  // Three numbers: the missing two come from the next line, whose rest is skipped.
  auto p = Points(" 0 100 1\n 2 3 999\n 0.02 100 1 2 3\n");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].Pa, static_cast<float>(-2.0L / 3));
  EXPECT_EQ(p[0].Qa, -1.0f);
  // An empty line in the middle takes its numbers from the next line.
  // Its line end is the marker, and the following line is consumed with it.
  p = Points(" 0 100 1 0 0\n\n 0.02 200 2 0 0\n 0.04 300 3 0 0\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1].LineMarker, '\n');
  EXPECT_EQ(p[1].I, 2.0f);
  EXPECT_EQ(p[2].LineMarker, ' ');
  // No marker: the time loses its first character (10.5 reads as 0.5).
  p = Points("10.5 100 1 0 0\n");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].SampleTime, 0.5);
  // CR LF lines read like LF lines.
  EXPECT_EQ(Times(Points(" 0 1 2 3 4\r\n 0.02 1 2 3 4\r\n")), Times(Points(" 0 1 2 3 4\n 0.02 1 2 3 4\n")));
}

TEST(Resample, TrailingBlankLinesAddNoSample) {
  const std::string data = " 0 100 1 0 0\n 0.02 100 1 0 0\n";
  for (const char* tail : {"", "\n", "\r\n", "   \n", "\n\n\t \n", "  "})
    EXPECT_EQ(Points(data + tail).size(), 2u) << '"' << tail << '"';
  EXPECT_TRUE(Points("\n").empty());
  EXPECT_TRUE(Points("% c\n  \n").empty());
}

TEST(Resample, BadNumberIsError106NamingTheLine) {
  try {
    Points(" 0 100 1 0 0\n 0.02 1,5 1 0 0\n");
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), 106);
    EXPECT_NE(std::string(e.what()).find("run.txt, line 2"), std::string::npos) << e.what();
  }
  EXPECT_THROW(Points(" 0 1e39 0 0 0\n"), FpError);
}

TEST(Resample, NumbersReadExactlyAsTheGeneralConversion) {
  // The fast path for plain decimals must give the same bits as strtold,
  // at the edges of its digit, exponent and length limits too.
  const std::string t64 = "1" + std::string(63, '0');  // the runtime reads 64 characters of a number
  const std::string tokens[] = {"0.1", "-0.3", "1.003", "0.02005", "123456.789012", "9999999999999999999", "1e-5",
                                "2.5E+3", "-0", "0.000000000000000000000000001", "3.4028235e38",
                                "1.7976931348623157e308", "+.5", "7.", "0.1234567890123456789",
                                "12345678901234567890123", "999999999999999999", "0000.000123", "1e-0005",
                                "12.5e00001", "0.0000000000000000000000000001", "123456789012345678e-27", t64};
  for (const std::string& t : tokens) {
    const auto p = Points(" " + t + " 0 0 0 0\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].SampleTime, static_cast<double>(std::strtold(t.c_str(), nullptr))) << t;
  }
  EXPECT_EQ(Points(" " + t64 + "5 0 0 0 0\n").at(0).SampleTime, 1e63);
  // Each number ends at a blank or tab; anything glued to it is error 106.
  EXPECT_EQ(Points(" 0.5\t1.5\t2\t3\t4\n").at(0).I, 2.0f);
  for (const char* bad : {"1.5.3", "1e", "1e+", "+", ".", "1.5x", "--1", "1,5"})
    EXPECT_THROW(Points(std::string(" ") + bad + " 0 0 0 0\n"), IoError) << bad;
}

TEST(Resample, GridLongerThanTheOscillogramStops) {
  std::size_t n = 0;
  double last = 0;
  // Two lines exactly 65534 steps apart fill the limit; one step more fails.
  EXPECT_NO_THROW(ResampleText(" 0 0 0 0 0\n 1310.685 0 0 0 0\n", "f", [&](const GridPoint& p) {
    ++n;
    last = p.SampleTime;
  }));
  EXPECT_EQ(n, 65535u);
  EXPECT_NEAR(last, 1310.68, 1e-6);
  n = 0;
  try {
    ResampleText(" 0 0 0 0 0\n 1310.705 0 0 0 0\n", "f", [&](const GridPoint&) { ++n; });
    FAIL();
  } catch (const SampleLimitError& e) {
    EXPECT_NE(std::string(e.what()).find("65535"), std::string::npos);
  }
  EXPECT_EQ(n, 65535u);  // the 65,536th point never reached the step
  // A time so large that adding 0.02 no longer moves the grid cannot hang the run.
  EXPECT_THROW(Points(" 1e300 0 0 0 0\n 2e300 0 0 0 0\n"), SampleLimitError);
}

TEST(BaseName, OwnNameUpToItsFirstDot) {
  EXPECT_EQ(BaseNameOf("/data/old.set/run.txt"), "run");
  EXPECT_EQ(BaseNameOf("run.a.txt"), "run");
  EXPECT_EQ(BaseNameOf("C:\\old.set\\run.txt"), "run");
  EXPECT_EQ(BaseNameOf("/data/old.set/run"), "run");
  EXPECT_EQ(BaseNameOf("run"), "run");
  EXPECT_EQ(BaseNameOf("/data/dir/проба.txt"), "проба");
  EXPECT_EQ(BaseNameOf(std::string(300, 'a') + ".txt"), std::string(300, 'a'));
}

TEST(OpenFailure, TextsByCode) {
  EXPECT_EQ(OpenFailureMessage(2, "/d/run.txt", ENOENT), "Файл /d/run.txt не найден");
  EXPECT_EQ(OpenFailureMessage(3, "/d/run.txt", ENOTDIR), "Ошибочное имя файла /d/run.txt");
  EXPECT_EQ(OpenFailureMessage(4, "/d/run.txt", EMFILE), "Слишком много открытых файлов");
  EXPECT_EQ(OpenFailureMessage(5, "/d/run.txt", EACCES), "Файл /d/run.txt не доступен");
  // Any other code: the name and the system's reason, never an empty or old text.
  const std::string other = OpenFailureMessage(101, "/d/run.txt", EIO);
  EXPECT_EQ(other.rfind("Файл /d/run.txt не открыт: ", 0), 0u) << other;
  EXPECT_NE(other.find(std::strerror(EIO)), std::string::npos);
  EXPECT_NE(OpenFailureMessage(101, "x", 0), "Файл x не открыт: ");
}

namespace {

struct RecordingUi : ModelUi {
  std::vector<std::string> warnings;
  void Warning(const std::string& t) override { warnings.push_back(t); }
};

class Run : public runcore_test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Write("ust.txt", runcore_test::ValidSettings());
    d.SettingsFileName = "ust.txt";
    d.ui = &ui;
    d.RunStatus = 1;
  }
  std::int64_t EmaRecordsBeforeWrite() const { return d.SampleCount; }
  DatMod1 d;
  RecordingUi ui;
};

}  // namespace

TEST_F(Run, CompleteRunCallsTheStepPerPointAndWritesTheOscillogram) {
  std::filesystem::create_directory("old.set");
  Write("old.set/run.a.txt", " 0 100 1 2 3\n 0.05 200 1 2 3\n\n");
  d.ProcessingFileName = (dir_ / "old.set" / "run.a.txt").string();
  RunProcessing(d);
  EXPECT_EQ(d.RunStatus, 0);
  EXPECT_EQ(d.SampleCount, 3);
  EXPECT_EQ(d.BaseName, "run");
  EXPECT_TRUE(std::filesystem::exists("run.31"));
  EXPECT_FALSE(std::filesystem::exists("ema.tip"));
  EXPECT_FALSE(d.emaTip.isOpen());
  EXPECT_TRUE(ui.warnings.empty());
  // The sample inputs keep the last sample's values.
  EXPECT_NEAR(d.SampleTime, 0.04, 1e-15);
  EXPECT_NEAR(d.Uph * std::sqrt(3.0), 180, 1e-3);
  static_assert(sizeof(d.SampleCount) == 8);
}

TEST_F(Run, SameFilesGiveTheSameResultOnEveryRun) {
  Write("run.txt", " 0 100 1 2 3\n 0.02 100 1 2 3\n");
  d.ProcessingFileName = "run.txt";
  RunProcessing(d);
  const auto first = d.thr;
  const auto count = d.SampleCount;
  d.RunStatus = 1;
  RunProcessing(d);
  EXPECT_EQ(d.thr, first);
  EXPECT_EQ(d.SampleCount, count);
  EXPECT_EQ(d.results.cells.size(), 4u);
}

TEST_F(Run, MissingProcessingFileWarnsAndEndsTheRun) {
  d.ProcessingFileName = "gone.txt";
  RunProcessing(d);
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], "Файл gone.txt не найден");
  EXPECT_EQ(d.IoMessage, ui.warnings[0]);
  EXPECT_EQ(d.RunStatus, 0);
  EXPECT_EQ(d.SampleCount, 0);
  EXPECT_FALSE(std::filesystem::exists("ema.tip"));
  EXPECT_FALSE(std::filesystem::exists("gone.31"));
  // The results table is ready, with its header and empty rows.
  EXPECT_EQ(d.results.cells.size(), 4u);
  EXPECT_EQ(d.results.cells[1][0], "");
}

TEST_F(Run, OtherOpenFailuresGetTheirTexts) {
  std::filesystem::create_directory("folder.txt");
  d.ProcessingFileName = "folder.txt";
  RunProcessing(d);
  Write("plain", "x");
  d.ProcessingFileName = "plain/run.txt";
  RunProcessing(d);
  d.ui = nullptr;  // without a window the text is only kept
  d.ProcessingFileName = "gone.txt";
  RunProcessing(d);
  ASSERT_EQ(ui.warnings.size(), 2u);
  EXPECT_EQ(ui.warnings[0], "Файл folder.txt не доступен");
  EXPECT_EQ(ui.warnings[1], "Ошибочное имя файла plain/run.txt");
  EXPECT_EQ(d.IoMessage, "Файл gone.txt не найден");
}

TEST_F(Run, FailedRunLeavesNoTemporaryFile) {
  // A bad number after some samples, a grid that is too long, a missing "parl".
  Write("bad.txt", " 0 100 1 2 3\n 0.02 100 1 2 3\n 0.04 1OO 1 2 3\n");
  Write("long.txt", " 0 1 1 1 1\n 2000 1 1 1 1\n");
  Write("ok.txt", " 0 1 1 1 1\n");
  for (const char* name : {"bad.txt", "long.txt", "ok.txt"}) {
    if (std::string(name) == "ok.txt") std::filesystem::remove("parl");
    d.ProcessingFileName = name;
    d.RunStatus = 1;
    EXPECT_ANY_THROW(RunProcessing(d)) << name;
    EXPECT_EQ(d.RunStatus, 1);
    EXPECT_FALSE(d.emaTip.isOpen()) << name;
    EXPECT_FALSE(std::filesystem::exists("ema.tip")) << name;
    EXPECT_FALSE(std::filesystem::exists(std::string(name, 2) + ".31")) << name;
  }
  d.ProcessingFileName = "long.txt";
  EXPECT_THROW(RunProcessing(d), SampleLimitError);
  EXPECT_EQ(d.SampleCount, kMaxSamples);
}

TEST_F(Run, EmptyProcessingFileStillWritesAnEmptyOscillogram) {
  Write("empty.txt", "% nothing here\n\n");
  d.ProcessingFileName = "empty.txt";
  RunProcessing(d);
  EXPECT_EQ(d.SampleCount, 0);
  EXPECT_EQ(d.RunStatus, 0);
  EXPECT_TRUE(std::filesystem::exists("empty.31"));
}
