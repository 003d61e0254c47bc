#include "model/core/osc_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>

#include "common/io_error.h"
#include "common/osc31.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {

constexpr const char* kEmaTipName = "ema.tip";
constexpr const char* kParlName = "parl";
constexpr std::size_t kEmaRecordSize = 64;
constexpr std::size_t kModelChannels = 16;

// The first 1860 bytes of "parl"; throws when it is missing or shorter.
std::string ReadParameterBlock() {
  RtlFile parl;
  parl.reset(kParlName);
  std::string block(osc31::kParameterBlockSize, '\0');
  parl.blockRead(block.data(), block.size());
  parl.close();
  return block;
}

std::string BuildOscillogram(const std::string& ema, const std::string& parameterBlock) {
  // A trailing part of a record (a write cut short) is not a sample.
  std::size_t n = std::min(ema.size() / kEmaRecordSize, osc31::kMaxPoints);

  osc31::TOscHeader h;  // comment all NUL: the model has no comment text
  for (std::size_t k = 0; k < kModelChannels; ++k) h.ChannelFlags[k] = 1;
  h.N = static_cast<std::uint16_t>(n);
  h.C = kModelChannels;
  h.step = std::bit_cast<float>(osc31::kModelStepBits);

  std::string out = osc31::EncodeHeader(h);
  out.resize(osc31::FileSize(h.N, h.C));
  // Transpose record-major into channel-major, byte for byte: the stored bit
  // patterns are copied, never reinterpreted.
  char* samples = out.data() + osc31::kSamplesOffset;
  for (std::size_t k = 0; k < kModelChannels; ++k)
    for (std::size_t i = 0; i < n; ++i)
      std::memcpy(samples + osc31::kSampleSize * (n * k + i), ema.data() + kEmaRecordSize * i + osc31::kSampleSize * k,
                  osc31::kSampleSize);
  std::memcpy(out.data() + osc31::ParameterBlockOffset(h.N, h.C), parameterBlock.data(), osc31::kParameterBlockSize);
  return out;
}

}  // namespace

void WriteOscillogramFile(DatMod1& d) {
  try {
    d.emaTip.close();
    std::string parameterBlock = ReadParameterBlock();
    std::string ema = ReadWholeFile(kEmaTipName);
    WriteFileAtomically(d.BaseName + ".31", BuildOscillogram(ema, parameterBlock));
  } catch (...) {
    // The first failure is the one reported; the samples of a failed run are
    // not kept, so that the next run starts clean.
    try {
      d.emaTip.close();
    } catch (const IoError&) {
    }
    try {
      EraseFile(kEmaTipName);
    } catch (const IoError&) {
    }
    throw;
  }
  EraseFile(kEmaTipName);
}

}  // namespace kv
