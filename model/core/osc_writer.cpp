#include "model/core/osc_writer.h"

#include <bit>
#include <string>

#include "common/osc31.h"
#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {

constexpr const char* kParlName = "parl";
constexpr std::size_t kModelChannels = 16;
static_assert(SampleStore::kChannels == kModelChannels && SampleStore::kCapacity == osc31::kMaxPoints);

// The first 1860 bytes of "parl"; throws when it is missing or shorter.
std::string ReadParameterBlock() {
  RtlFile parl;
  parl.reset(kParlName);
  std::string block(osc31::kParameterBlockSize, '\0');
  parl.blockRead(block.data(), block.size());
  parl.close();
  return block;
}

void WriteWith(const DatMod1& d, const std::string& parameterBlock, AtomicFile& out) {
  const SampleStore& records = d.Records;
  const std::size_t n = records.size();

  osc31::TOscHeader h;  // comment all NUL: the model has no comment text
  for (std::size_t k = 0; k < kModelChannels; ++k) h.ChannelFlags[k] = 1;
  h.N = static_cast<std::uint16_t>(n);
  h.C = kModelChannels;
  h.step = std::bit_cast<float>(osc31::kModelStepBits);

  const std::string header = osc31::EncodeHeader(h);
  out.write(header.data(), header.size());
  // The records are held channel after channel already: each channel is one
  // write of its stored bit patterns.
  for (std::size_t k = 0; k < kModelChannels && n > 0; ++k) out.write(records.channel(k), osc31::kSampleSize * n);
  out.write(parameterBlock.data(), parameterBlock.size());
  out.commit();
}

}  // namespace

void WriteOscillogramFile(DatMod1& d, AtomicFile& out) { WriteWith(d, ReadParameterBlock(), out); }

void WriteOscillogramFile(DatMod1& d) {
  const std::string parameterBlock = ReadParameterBlock();  // before anything is created
  AtomicFile out(d.BaseName + ".31");
  WriteWith(d, parameterBlock, out);
}

}  // namespace kv
