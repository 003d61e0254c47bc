// The ".31" oscillogram from the run's records and "parl".
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "common/io_error.h"
#include "common/osc31.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "runcore_fixture.h"

namespace fs = std::filesystem;
using namespace kv;

namespace {

// Bytes of value k (0..15) of record i: distinct, mostly signalling NaNs,
// which must be copied bit for bit.
std::string Value(unsigned k, unsigned i) { return {char(k), char(i), '\x80', '\x7F'}; }

// n records of distinct values into the model's store.
void Fill(DatMod1& d, unsigned n) {
  d.Records.clear();
  for (unsigned i = 0; i < n; ++i) {
    TSampleRecord r;
    for (unsigned k = 0; k < 16; ++k) std::memcpy(&r.v[k], Value(k, i).data(), 4);
    d.Records.append(r);
  }
}

// The names in the current folder.
std::set<std::string> Listed() {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(".")) names.insert(e.path().filename().string());
  return names;
}

// Writes the oscillogram and is killed in the middle: the file system lets
// it write only 1 MB, and at the write that goes beyond it kills itself.
[[noreturn]] void KilledWhileWriting(DatMod1& d) {
  struct sigaction kill {};
  kill.sa_handler = [](int) { std::raise(SIGKILL); };
  sigaction(SIGXFSZ, &kill, nullptr);
  const rlimit mb{1 << 20, 1 << 20};
  setrlimit(RLIMIT_FSIZE, &mb);
  WriteOscillogramFile(d);
  std::_Exit(0);
}

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7);
  return s;
}

class OscWriterTest : public runcore_test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    d.BaseName = "run";
  }
  int Fails() {
    try {
      WriteOscillogramFile(d);
    } catch (const IoError& e) {
      return e.code();
    }
    return 0;
  }
  DatMod1 d;
};

TEST_F(OscWriterTest, SixteenPointsChannelMajorThenNone) {
  Write("parl", Pattern(2500));  // only its first 1860 bytes are used
  Fill(d, 16);
  d.SampleCount = 99;  // the records decide N
  WriteOscillogramFile(d);
  std::string f = ReadWholeFile("run.31");
  ASSERT_EQ(f.size(), 104u + 64 * 16 + 1860);
  EXPECT_EQ(f.substr(0, 96), std::string(64, '\0') + std::string(16, '\1') + std::string(16, '\0'));
  EXPECT_EQ(f.substr(96, 8), std::string("\x10\x00\x10\x00\x0A\xD7\xA3\x3C", 8));
  for (unsigned k = 1; k <= 16; ++k)
    for (unsigned i = 0; i < 16; ++i) ASSERT_EQ(f.substr(osc31::SampleOffset(16, k, i), 4), Value(k - 1, i));
  EXPECT_EQ(f.substr(104 + 64 * 16), Pattern(1860));

  Fill(d, 0);  // a second run replaces the file
  WriteOscillogramFile(d);
  f = ReadWholeFile("run.31");
  ASSERT_EQ(f.size(), 1964u);
  EXPECT_EQ(f.substr(96, 4), std::string("\0\0\x10\0", 4));
  EXPECT_EQ(f.substr(104), Pattern(1860));
}

// No half-written oscillogram: the old file stays, no temporary is left.
TEST_F(OscWriterTest, FailuresLeaveTheOldFileAlone) {
  Fill(d, 4);
  fs::remove("parl");
  Write("run.31", "old");
  EXPECT_EQ(Fails(), kFileNotFound);  // no parl
  Write("parl", Pattern(1859));
  EXPECT_EQ(Fails(), kReadBeyondEof);
  EXPECT_EQ(ReadWholeFile("run.31"), "old");

  Write("parl", Pattern(1860));
  fs::remove("run.31");
  fs::create_directory("run.31");  // cannot be replaced by a file
  EXPECT_NE(Fails(), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 2) << "parl and the folder: no temporary left";
}

// A run killed while it writes leaves the old file whole and nothing else;
// the next write puts the new file in its place.
TEST_F(OscWriterTest, KillDuringTheWriteLeavesNoTemporary) {
  Write("parl", Pattern(1860));
  Write("run.31", "old");
  Fill(d, 65535);  // 4.2 MB
  EXPECT_EXIT(KilledWhileWriting(d), testing::KilledBySignal(SIGKILL), "");
  // A folder without unnamed files keeps the dead writer's temporary until the next write.
  const int unnamed = open(".", O_TMPFILE | O_WRONLY, 0600);
  if (unnamed >= 0) {
    EXPECT_EQ(Listed(), (std::set<std::string>{"parl", "run.31"}));
    close(unnamed);
  }
  EXPECT_EQ(ReadWholeFile("run.31"), "old");
  WriteOscillogramFile(d);
  EXPECT_EQ(Listed(), (std::set<std::string>{"parl", "run.31"}));
  EXPECT_EQ(fs::file_size("run.31"), 104u + 64 * 65535 + 1860);
}

// A named temporary (where the file system has no unnamed files) that a
// killed writer left is removed at the next write of its file; one a live
// writer holds locked is kept, and so are other files.
TEST_F(OscWriterTest, NextWriteRemovesTemporariesOfDeadWriters) {
  Write("parl", Pattern(1860));
  std::set<std::string> kept = {".run.31.live00", ".run.31.Ab12C", ".run.31.Ab-2Cd", ".old.31.Ab12Cd"};
  for (const std::string& name : kept) Write(name, "x");
  for (const char* name : {".run.31.Ab12Cd", ".run.31.zzzzzz"}) Write(name, "x");
  kept.insert({"parl", "run.31"});
  const int live = open(".run.31.live00", O_RDONLY);
  ASSERT_EQ(flock(live, LOCK_EX), 0);
  Fill(d, 4);
  WriteOscillogramFile(d);
  close(live);
  EXPECT_EQ(Listed(), kept);
}

}  // namespace
