#pragma once
// Shared by the run tests: a fresh temporary folder as the current directory
// (a run writes "ema.tip" there), a valid settings file, a recording window.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"

namespace runcore_test {

// The 41 values of a valid settings file (the fifth, X3, replaceable).
inline const char* const kSettingValues[41] = {
    "500", "1000", "40",  "4",  nullptr, "3", "80", "120", "30", "50", "70", "10",  "2",   "3",
    "1",   "1",    "2",   "2",  "1500",  "1200", "3", "2.5", "300", "8", "0.25", "1", "-1", "0",
    "1",   "-1",   "1",   "0",  "-1",    "120", "150", "200", "250", "1", "1", "0", "1"};

// The values with a comment after each, as users write them.
inline std::string ValidSettings(const std::string& x3 = "60") {
  std::string s;
  for (int i = 0; i < 41; ++i)
    s += (kSettingValues[i] ? std::string(kSettingValues[i]) : x3) + "   value " + std::to_string(i + 1) + "\n";
  return s;
}

// What `f` throws: "<code> <message>" for an IoError, the message of anything
// else; "" when it returns.
template <class F>
std::string Thrown(F&& f) {
  try {
    f();
  } catch (const kv::IoError& e) {
    return std::to_string(e.code()) + " " + e.what();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

struct RecordingUi : kv::ModelUi {
  std::vector<std::string> warnings;
  void Warning(const std::string& t) override { warnings.push_back(t); }
};

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "runcore-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
    Write("parl", std::string(1860, '\0'));  // the parameter block every oscillogram ends with
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  static void Write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  std::filesystem::path old_ = std::filesystem::current_path(), dir_;
};

}  // namespace runcore_test
