#pragma once
// The readers work on files: each input is written to one scratch file of
// this process, in memory-backed /dev/shm when it exists.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& FuzzScratchPath(const char* ext) {
  static const std::string path = [ext] {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/kv_fuzz_" + std::to_string(getpid()) + ext;
  }();
  static const bool cleanup = [] { return std::atexit([] { std::remove(path.c_str()); }) == 0; }();
  (void)cleanup;
  return path;
}

inline bool WriteFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
