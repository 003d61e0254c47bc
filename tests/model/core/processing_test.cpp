// Reading the processing file, resampling onto the 0.02 s grid, and the run.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "runcore_fixture.h"

using namespace kv;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

std::vector<GridPoint> Points(const std::string& text) {
  std::vector<GridPoint> out;
  ResampleText(text, "run.txt", [&](const GridPoint& p) { out.push_back(p); });
  return out;
}

// Column 2 = 100 + 1000 t and column 3 = 10 t, so any sample can be checked
// against its time; columns 4 and 5 constant.
std::string Line(double t) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "  %.6f %.6f %.6f 30 -60\n", t, 100 + 1000 * t, 10 * t);
  return buf;
}

double Col2(const GridPoint& p) { return static_cast<double>(p.Uph * std::sqrt(3.0L)); }

}  // namespace

TEST(Resample, FinerCoarserAndIrregularStepsFollowTheAccumulatedGrid) {
  // Lines within 0.0001 s of the grid keep their own time.
  const struct { double start, step; int lines; std::size_t points; double timeTolerance; } cases[] = {
      {0, 0.01, 21, 11, 1e-12},  // thinned to the lines on the grid
      {0, 0.05, 4, 8, 0},        // interpolated: grid times
      {0, 0.013, 101, 66, 1e-4},
      {1.003, 0.01, 11, 6, 1e-9},  // the grid starts at the first line
  };
  for (const auto& c : cases) {
    std::string f;
    for (int i = 0; i < c.lines; ++i) f += Line(c.start + i * c.step);
    const auto p = Points(f);
    ASSERT_EQ(p.size(), c.points) << c.step;
    double grid = c.start;
    for (std::size_t k = 0; k < p.size(); ++k) {
      EXPECT_NEAR(p[k].SampleTime, grid, c.timeTolerance) << c.step << " " << k;
      EXPECT_NEAR(Col2(p[k]), 100 + 1000 * p[k].SampleTime, 2e-3) << c.step << " " << k;
      EXPECT_NEAR(p[k].I, 10 * p[k].SampleTime, 1e-5) << c.step << " " << k;
      EXPECT_EQ(p[k].Pa, -10.0f);
      grid = static_cast<double>(static_cast<long double>(grid) + 0.02L);
    }
  }

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

  // A time going backwards only becomes the next interpolation start.
  const auto back = Points(" 0 100 0 0 0\n 0.02 200 0 0 0\n 0.01 1000 0 0 0\n 0.06 500 0 0 0\n");
  ASSERT_EQ(back.size(), 4u);
  EXPECT_NEAR(Col2(back[2]), 1000 + (500 - 1000) * (0.04 - 0.01) / 0.05, 1e-3);
}

TEST(Resample, ColumnsLinesCommentsAndMarkers) {
  auto p = Points(" 0 100 5 30 -60\n");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].Uph, static_cast<float>(100.0L / std::sqrt(3.0L)));
  EXPECT_EQ(std::tie(p[0].SampleTime, p[0].I, p[0].Pa, p[0].Qa, p[0].LineMarker),
            std::make_tuple(0.0, 5.0f, -10.0f, 20.0f, ' '));

  p = Points("% header\n 0 100 1 0 0\n% between\nn0.02 100 2 0 0\n%\nx0.06 100 3 0 0\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(std::string({p[1].LineMarker, p[2].LineMarker, p[3].LineMarker}), "nxx");  // interpolated: the later line's
  EXPECT_TRUE(Points("% only\n% comments\n").empty());

  // Blank lines at the end add no sample.
  for (const char* tail : {"", "\n", "\r\n", "   \n", "\n\n\t \n", "  "})
    EXPECT_EQ(Points(std::string(" 0 100 1 0 0\n 0.02 100 1 0 0\n") + tail).size(), 2u) << '"' << tail << '"';
  for (const char* none : {"", "\n", "% c\n  \n"}) EXPECT_TRUE(Points(none).empty()) << none;

  // Three numbers: the missing two come from the next line, whose rest is skipped.
  p = Points(" 0 100 1\n 2 3 999\n 0.02 100 1 2 3\n");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].Pa, static_cast<float>(-2.0L / 3));
  EXPECT_EQ(p[0].Qa, -1.0f);
  // An empty line in the middle takes its numbers from the next line: its
  // line end is the marker, and the following line is consumed with it.
  p = Points(" 0 100 1 0 0\n\n 0.02 200 2 0 0\n 0.04 300 3 0 0\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(std::string({p[1].LineMarker, p[2].LineMarker}), "\n ");
  EXPECT_EQ(p[1].I, 2.0f);
  // No marker: the time loses its first character (10.5 reads as 0.5).
  EXPECT_EQ(Points("10.5 100 1 0 0\n").at(0).SampleTime, 0.5);
  // CR LF lines read like LF lines; a CR not followed by LF is a blank: in
  // a comment, after the fifth number, or doubled before the LF.
  for (const char* text : {" 0 1 2 3 4\r\n 0.02 1 2 3 4\r\n", "% note\r 1 2 3 4 5\r\n 0 1 2 3 4\r\n 0.02 1 2 3 4\r\n",
                           " 0 1 2 3 4 note\r 9\n 0.02 1 2 3 4\n",
                           "% c\r\r\n 0 1 2 3 4\r\r\n%\r\r\nn0.02 1 2 3 4\r\r\n% end\r\r\n"}) {
    p = Points(text);
    ASSERT_EQ(p.size(), 2u) << text;
    EXPECT_EQ(std::make_tuple(p[0].SampleTime, p[1].SampleTime, p[1].I), std::make_tuple(0.0, 0.02, 2.0f)) << text;
  }
  EXPECT_EQ(p[1].LineMarker, 'n');
  // A file without any LF keeps CR as its line end, and names its lines.
  p = Points("% c\r 0 1 2 3 4\rn0.02 1 2 3 4\r");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[1].LineMarker, 'n');
  EXPECT_NE(runcore_test::Thrown([] { Points(" 0 1 2 3 4\r% c\r 0.02 1OO 2 3 4\r"); }).find("run.txt, line 3"),
            std::string::npos);
}

TEST(Resample, NumbersReadExactlyAsTheGeneralConversionOrFail) {
  // The fast path for plain decimals gives the bits of strtold, at the edges
  // of its digit, exponent and length limits too.
  const std::string t64 = "1" + std::string(63, '0');  // the runtime reads 64 characters of a number
  for (const std::string t :
       {"0.1", "-0.3", "1.003", "0.02005", "123456.789012", "9999999999999999999", "1e-5", "2.5E+3", "-0",
        "0.000000000000000000000000001", "3.4028235e38", "1.7976931348623157e308", "+.5", "7.",
        "0.1234567890123456789", "12345678901234567890123", "999999999999999999", "0000.000123", "1e-0005",
        "12.5e00001", "0.0000000000000000000000000001", "123456789012345678e-27", t64.c_str()})
    EXPECT_EQ(Points(" " + t + " 0 0 0 0\n").at(0).SampleTime, static_cast<double>(std::strtold(t.c_str(), nullptr)))
        << t;
  EXPECT_EQ(Points(" " + t64 + "5 0 0 0 0\n").at(0).SampleTime, 1e63);
  EXPECT_EQ(Points(" 0.5\t1.5\t2\t3\t4\n").at(0).I, 2.0f);
  // A control byte standing alone between numbers is a blank.
  const auto p = Points(" 0 1.0 \x1a 307.3 \0 4.1 5\n"s);
  EXPECT_EQ(std::make_tuple(p.at(0).I, p.at(0).Pa), std::make_tuple(307.3f, static_cast<float>(-4.1f / 3.0L)));

  // Anything glued to a number is error 106 naming the line; so is a NUL or
  // another control byte inside a number or touching it.
  const std::string bads[] = {"1.5.3", "1e", "1e+", "+", ".", "1.5x", "--1", "1,5", "0.02 0.0\0" "2"s,
                              "0.02 47\0" "2.15"s, "0.02\x01", "0.02 1\x1a"};
  for (const std::string& bad : bads) {
    const std::string e = runcore_test::Thrown([&] { Points(" 0 100 1 0 0\n " + bad + " 0 0 0 0\n"); });
    EXPECT_EQ(e.rfind("106 ", 0), 0u) << bad << ": " << e;
    EXPECT_NE(e.find("run.txt, line 2"), std::string::npos) << e;
  }
  EXPECT_THROW(Points(" 0 1e39 0 0 0\n"), FpError);
}

TEST(Resample, GridLongerThanTheOscillogramStops) {
  std::size_t n = 0;
  double last = 0;
  auto count = [&](const GridPoint& p) { ++n; last = p.SampleTime; };
  // Two lines exactly 65534 steps apart fill the limit; one step more fails.
  EXPECT_NO_THROW(ResampleText(" 0 0 0 0 0\n 1310.685 0 0 0 0\n", "f", count));
  EXPECT_EQ(n, 65535u);
  EXPECT_NEAR(last, 1310.68, 1e-6);
  n = 0;
  EXPECT_THROW(ResampleText(" 0 0 0 0 0\n 1310.705 0 0 0 0\n", "f", count), SampleLimitError);
  EXPECT_NE(runcore_test::Thrown([&] { Points(" 0 0 0 0 0\n 1310.705 0 0 0 0\n"); }).find("65535"), std::string::npos);
  EXPECT_EQ(n, 65535u);  // the 65,536th point never reached the step
  // A time so large that adding 0.02 no longer moves the grid cannot hang the run.
  EXPECT_THROW(Points(" 1e300 0 0 0 0\n 2e300 0 0 0 0\n"), SampleLimitError);
}

TEST(Processing, BaseNameOfTheFile) {
  const std::pair<std::string, std::string> names[] = {
      {"/data/old.set/run.txt", "run"}, {"run.a.txt", "run"}, {"C:\\old.set\\run.txt", "run"},
      {"/data/old.set/run", "run"}, {"/data/dir/проба.txt", "проба"}, {std::string(300, 'a') + ".txt", std::string(300, 'a')}};
  for (const auto& [path, base] : names) EXPECT_EQ(BaseNameOf(path), base) << path;
}

namespace {

class Run : public runcore_test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Write("ust.txt", runcore_test::ValidSettings());
    d.SettingsFileName = "ust.txt";
    d.ui = &ui;
  }
  void RunOn(const std::string& name) {
    d.ProcessingFileName = name;
    d.RunStatus = 1;
    RunProcessing(d);
  }
  DatMod1 d;
  runcore_test::RecordingUi ui;
};

}  // namespace

TEST_F(Run, CompleteRunsWriteTheOscillogramNamedAfterTheFile) {
  fs::create_directory("old.set");
  Write("old.set/run.a.txt", " 0 100 1 2 3\n 0.05 200 1 2 3\n\n");
  Write("empty.txt", "% nothing here\n\n");
  RunOn((dir_ / "old.set" / "run.a.txt").string());
  EXPECT_EQ(d.RunStatus, 0);
  EXPECT_EQ(d.SampleCount, 3);
  EXPECT_EQ(d.BaseName, "run");
  EXPECT_TRUE(fs::exists("run.31"));
  EXPECT_FALSE(fs::exists("ema.tip"));
  EXPECT_NEAR(d.Uph * std::sqrt(3.0), 180, 1e-3);  // the sample inputs keep the last sample's values
  RunOn("empty.txt");
  EXPECT_EQ(d.SampleCount, 0);
  EXPECT_EQ(d.RunStatus, 0);
  EXPECT_TRUE(fs::exists("empty.31"));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(Run, OpenFailuresWarnAndEndTheRun) {
  fs::create_directory("folder.txt");
  Write("plain", "x");
  const std::pair<const char*, const char*> cases[] = {{"gone.txt", "Файл gone.txt не найден"},
                                                       {"folder.txt", "Файл folder.txt не доступен"},
                                                       {"plain/run.txt", "Ошибочное имя файла plain/run.txt"}};
  for (auto [name, text] : cases) {
    ui.warnings.clear();
    RunOn(name);
    EXPECT_EQ(ui.warnings, std::vector<std::string>{text});
    EXPECT_EQ(d.IoMessage, text);
    EXPECT_EQ(d.RunStatus, 0);
    EXPECT_EQ(d.SampleCount, 0);
    EXPECT_FALSE(fs::exists("ema.tip"));
  }
  EXPECT_FALSE(fs::exists("gone.31"));
  EXPECT_EQ(d.results.cells.size(), 4u);  // the results table is ready, with empty rows
  EXPECT_EQ(d.results.cells[1][0], "");
  d.ui = nullptr;  // without a window the text is only kept
  RunOn("gone.txt");
  EXPECT_EQ(d.IoMessage, "Файл gone.txt не найден");

  // The other texts: too many open files, and the name with the system's reason.
  EXPECT_EQ(OpenFailureMessage(4, "/d/run.txt", EMFILE), "Слишком много открытых файлов");
  EXPECT_EQ(OpenFailureMessage(101, "/d/run.txt", EIO),
            std::string("Файл /d/run.txt не открыт: ") + std::strerror(EIO));
  EXPECT_NE(OpenFailureMessage(101, "x", 0), "Файл x не открыт: ");
}

TEST_F(Run, FailedRunLeavesNoTemporaryFile) {
  // A bad number after some samples, a grid that is too long, a missing "parl".
  Write("bad.txt", " 0 100 1 2 3\n 0.02 100 1 2 3\n 0.04 1OO 1 2 3\n");
  Write("long.txt", " 0 1 1 1 1\n 2000 1 1 1 1\n");
  Write("ok.txt", " 0 1 1 1 1\n");
  for (const std::string name : {"bad.txt", "long.txt", "ok.txt"}) {
    if (name == "ok.txt") fs::remove("parl");
    EXPECT_ANY_THROW(RunOn(name)) << name;
    EXPECT_EQ(d.RunStatus, 1);
    EXPECT_FALSE(fs::exists("ema.tip")) << name;
    for (const auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().filename().string()[0], '.') << "a temporary left";
    EXPECT_FALSE(fs::exists(name.substr(0, name.find('.')) + ".31")) << name;
    EXPECT_EQ(d.SampleCount, name == "long.txt" ? kMaxSamples : name == "bad.txt" ? 2 : 1) << name;
  }
}

// The file is resampled whole before the points are stepped; the errors come
// in the order of the file all the same.
TEST_F(Run, ErrorsComeInTheOrderOfTheFile) {
  Write("fault.txt", " 0 100 1 2 3\n 0.02 3e38 3e38 3e38 3e38\n 0.04 1OO 1 2 3\n");
  EXPECT_THROW(RunOn("fault.txt"), FpError);  // the step of the second line, before the bad number
  EXPECT_EQ(d.SampleCount, 1);
  Write("bad.txt", " 0 100 1 2 3\n 0.02 100 1 2 3\n 0.04 1OO 1 2 3\n 0.06 3e38 3e38 3e38 3e38\n");
  EXPECT_EQ(runcore_test::Thrown([&] { RunOn("bad.txt"); }).rfind("106 ", 0), 0u);
  EXPECT_EQ(d.SampleCount, 2);  // the points before the bad number were stepped
}

namespace {

// Makes `dir` refuse new files (or take them again): the immutable flag for
// root, whom permissions do not stop, the permission bits otherwise.
bool LockFolder(const fs::path& dir, bool lock) {
  if (geteuid() != 0) {
    fs::permissions(dir, lock ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
    return true;
  }
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = lock ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return ok;
}

}  // namespace

TEST_F(Run, FolderThatCannotBeWrittenIsNamedBeforeAnySample) {
  Write("run.txt", " 0 100 1 2 3\n 0.02 100 1 2 3\n");
  if (!LockFolder(dir_, true) || std::ofstream("probe").is_open()) {
    LockFolder(dir_, false);
    GTEST_SKIP() << "this system lets the folder be written whatever its flags";
  }
  const std::string e = runcore_test::Thrown([&] { RunOn("run.txt"); });
  LockFolder(dir_, false);
  EXPECT_EQ(e, "5 Нет доступа на запись в папку " + fs::current_path().string() +
                   ": осциллограмма run.31 не может быть записана");
  EXPECT_EQ(d.SampleCount, 0);
  EXPECT_EQ(d.RunStatus, 1);
  EXPECT_FALSE(fs::exists("run.31"));
  RunOn("run.txt");  // writable again: the same run completes
  EXPECT_EQ(d.SampleCount, 2);
  EXPECT_TRUE(fs::exists("run.31"));
}
