#pragma once
// Builders of small ".31" and ".rzs" files for the viewer core's tests.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/osc31.h"
#include "common/rtl_file.h"

namespace kvtest {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string t = (fs::temp_directory_path() / "kv_viewcore_XXXXXX").string();
    path_ = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (fs::path(path_) / name).string(); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs the rest of a scope in another current directory.
class ChangeDir {
 public:
  explicit ChangeDir(const std::string& dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~ChangeDir() { fs::current_path(old_); }

 private:
  fs::path old_;
};

// Sample i (0-based) of stored channel k (1-based): distinct, exact in float32.
inline float SampleValue(unsigned k, unsigned i) { return static_cast<float>(k) * 1000.0f + static_cast<float>(i) * 0.25f; }

// A parameter block of 32 descriptors: channels 1..stored have stored word 1,
// named "K<j>" with type code j % 5 + 1; section s includes the channels
// given by `include`; quantity 1..5 named P, Angle, U, I, F.
inline kv::osc31::TOscParameterBlock MakeParameterBlock(unsigned stored = 16) {
  using namespace kv::osc31;
  TOscParameterBlock p;
  for (unsigned j = 1; j <= kMaxChannels; ++j) {
    TOscChannel& c = p.channels[j - 1];
    SetOemText(c.name, "K" + std::to_string(j), 16);
    c.typeCode = static_cast<std::uint8_t>(j % 5 + 1);
    c.stored = j <= stored ? 1 : 0;
  }
  for (unsigned s = 1; s <= kSectionCount; ++s) {
    SetOemText(p.sections[s - 1].name, "Сечение " + std::to_string(s), 15);
    p.sections[s - 1].typeCode = 1;
  }
  const char* names[] = {"P", "Angle", "U", "I", "F"};
  const char* units[] = {"MW", "deg", "kV", "kA", "H"};
  for (unsigned q = 0; q < 5; ++q) {
    p.quantities[q].code = static_cast<std::int16_t>(q + 1);
    SetOemText(p.quantities[q].name, names[q], 6);
    SetOemText(p.quantities[q].unit, units[q], 8);
  }
  return p;
}

// A whole ".31": header, channel-major samples of the flagged channels (k-th
// flagged = stored channel k, values SampleValue), parameter block.
inline std::string BuildOsc(const kv::osc31::TOscHeader& h, const kv::osc31::TOscParameterBlock& p) {
  using namespace kv::osc31;
  std::string out = EncodeHeader(h);
  for (unsigned k = 1; k <= h.C; ++k)
    for (unsigned i = 0; i < h.N; ++i) {
      std::uint8_t b[4];
      PutF32(b, SampleValue(k, i));
      out.append(reinterpret_cast<const char*>(b), 4);
    }
  out += EncodeParameterBlock(p);
  return out;
}

inline kv::osc31::TOscHeader MakeHeader(unsigned n, unsigned c, const std::string& comment = "") {
  kv::osc31::TOscHeader h;
  kv::osc31::SetOemText(h.CommentText, comment, 63);
  for (unsigned k = 0; k < c; ++k) h.ChannelFlags[k] = 1;
  h.N = static_cast<std::uint16_t>(n);
  h.C = static_cast<std::uint16_t>(c);
  h.step = 0.02f;
  return h;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  kv::RtlFile f;
  f.rewrite(path);
  f.blockWrite(bytes.data(), bytes.size());
  f.close();
}

inline void PutF32At(std::string& bytes, std::size_t off, float v) {
  kv::osc31::PutF32(reinterpret_cast<std::uint8_t*>(bytes.data()) + off, v);
}

// ---- ".rzs" -------------------------------------------------------------------

class RzsBuilder {
 public:
  void i32(std::int32_t v) {
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * b)) & 0xFF));
  }
  void u16(std::uint16_t v) {
    bytes.push_back(static_cast<char>(v & 0xFF));
    bytes.push_back(static_cast<char>(v >> 8));
  }
  void f32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    i32(static_cast<std::int32_t>(u));
  }
  void raw(const std::string& s) { bytes += s; }
  // A group of `typeCodes.size()` records; the record's byte 0 is its code.
  void group(const std::vector<std::uint8_t>& typeCodes) {
    i32(static_cast<std::int32_t>(typeCodes.size()));
    raw(std::string("\xAA\xBB", 2));
    for (std::uint8_t t : typeCodes) {
      std::string rec(22, '\x55');
      rec[0] = static_cast<char>(t);
      raw(rec);
    }
  }
  std::string bytes;
};

// A valid ".rzs" of `cols` columns and one group per further column, with
// group g of types {9, g} (two records: the last counts), two text lines of
// padded names ("t", "P1 " ..., "сек", "MW  "), and `rows` rows with time
// 0.01 * r and value r + 10 * g.
inline std::string MakeRzs(int cols, int rows) {
  RzsBuilder b;
  b.i32(cols);
  b.i32(rows);
  b.i32(cols - 1);
  for (int g = 1; g < cols; ++g) b.group({9, static_cast<std::uint8_t>(g)});
  for (int j = 0; j < cols; ++j) b.raw(std::string(4, '\x01'));
  b.u16(2);
  for (int j = 0; j < cols; ++j) b.u16(4);
  for (int j = 0; j < cols; ++j) b.raw(j == 0 ? std::string("t\0\0\0", 4) : "P" + std::to_string(j % 10) + "  ");
  for (int j = 0; j < cols; ++j) b.raw(j == 0 ? std::string("\xE1\xA5\xAA ", 4) : std::string("MW  "));
  for (int r = 0; r < rows; ++r) {
    b.f32(0.01f * static_cast<float>(r));
    for (int g = 1; g < cols; ++g) b.f32(static_cast<float>(r + 10 * g));
  }
  return b.bytes;
}

}  // namespace kvtest
