#pragma once
// Shared by the run tests: a fresh temporary folder as the current directory
// (a run writes "ema.tip" there) and a valid settings file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace runcore_test {

// 41 values with a comment after each, as users write them.
inline std::string ValidSettings(const std::string& x3 = "60") {
  const char* v[41] = {"500", "1000", "40", "4", nullptr, "3", "80", "120", "30", "50", "70", "10",
                       "2", "3", "1", "1", "2", "2", "1500", "1200", "3", "2.5", "300", "8",
                       "0.25", "1", "-1", "0", "1", "-1", "1", "0", "-1", "120", "150", "200",
                       "250", "1", "1", "0", "1"};
  std::string s;
  for (int i = 0; i < 41; ++i) s += std::string(v[i] ? v[i] : x3.c_str()) + "   value " + std::to_string(i + 1) + "\n";
  return s;
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
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
  static void Write(const std::string& name, const std::string& text) {
    std::ofstream f(name, std::ios::binary);
    f << text;
  }
  std::filesystem::path old_, dir_;
};

}  // namespace runcore_test
