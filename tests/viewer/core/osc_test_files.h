#pragma once
// Builders of small ".31" and ".rzs" files for the viewer core's tests.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/osc31.h"
#include "viewer/core/read_osc.h"

namespace kvtest {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
struct TempDir {
  TempDir() { ::mkdtemp(path.data()); }
  ~TempDir() { fs::remove_all(path); }
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string path = (fs::temp_directory_path() / "kv_viewcore_XXXXXX").string();
};

// Creates or truncates in place, as a file changed under an open reader.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline void PutF32At(std::string& bytes, std::size_t off, float v) {
  kv::osc31::PutF32(reinterpret_cast<std::uint8_t*>(bytes.data()) + off, v);
}

// Sample i (0-based) of stored channel k (1-based): distinct, exact in float32.
inline float SampleValue(unsigned k, unsigned i) { return static_cast<float>(k) * 1000.0f + static_cast<float>(i) * 0.25f; }

// Descriptors 1..stored have stored word 1; quantity 3 is "U", "kV".
inline kv::osc31::TOscParameterBlock MakeParameterBlock(unsigned stored) {
  kv::osc31::TOscParameterBlock p;
  for (unsigned j = 0; j < stored; ++j) p.channels[j].stored = 1;
  p.quantities[0].code = 3;
  kv::osc31::SetOemText(p.quantities[0].name, "U", 6);
  kv::osc31::SetOemText(p.quantities[0].unit, "kV", 8);
  return p;
}

// A whole ".31" of channels 1..c with n SampleValue points, step 0.02 s.
inline std::string BuildOsc(unsigned n, unsigned c, const kv::osc31::TOscParameterBlock& p) {
  using namespace kv::osc31;
  TOscHeader h;
  for (unsigned k = 0; k < c; ++k) h.ChannelFlags[k] = 1;
  h.N = static_cast<std::uint16_t>(n);
  h.C = static_cast<std::uint16_t>(c);
  h.step = 0.02f;
  std::string out = EncodeHeader(h);
  out.resize(ParameterBlockOffset(h.N, h.C));
  for (unsigned k = 1; k <= c; ++k)
    for (unsigned i = 0; i < n; ++i) PutF32At(out, SampleOffset(h.N, k, i), SampleValue(k, i));
  return out + EncodeParameterBlock(p);
}

struct Points : kv::PointSink {
  void AddXY(double x, double y) override { xy.emplace_back(x, y); }
  std::vector<std::pair<double, double>> xy;
};

// ---- ".rzs" -------------------------------------------------------------------

struct RzsBuilder {
  template <class T>
  RzsBuilder& put(T v) {  // little-endian host
    bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return *this;
  }
  // One 22-byte record per type code; the last one counts.
  RzsBuilder& group(const std::vector<std::uint8_t>& typeCodes) {
    put(static_cast<std::int32_t>(typeCodes.size())).bytes += "\xAA\xBB";
    for (std::uint8_t t : typeCodes) bytes += static_cast<char>(t) + std::string(21, '\x55');
    return *this;
  }
  std::string bytes;
};

// `cols` columns, group g of types {9, g}, one text line "t" / "P<g>  " (4
// bytes each), `rows` rows of time 0.01 r and values r + 10 g.
inline std::string MakeRzs(int cols, int rows) {
  RzsBuilder b;
  b.put(cols).put(rows).put(cols - 1);
  for (int g = 1; g < cols; ++g) b.group({9, static_cast<std::uint8_t>(g)});
  b.bytes += std::string(4 * cols, '\x01');
  b.put(std::uint16_t{1});
  for (int j = 0; j < cols; ++j) b.put(std::uint16_t{4});
  for (int j = 0; j < cols; ++j) b.bytes += j == 0 ? std::string("t\0\0\0", 4) : "P" + std::to_string(j % 10) + "  ";
  for (int r = 0; r < rows; ++r) {
    b.put(0.01f * static_cast<float>(r));
    for (int g = 1; g < cols; ++g) b.put(static_cast<float>(r + 10 * g));
  }
  return b.bytes;
}

}  // namespace kvtest
