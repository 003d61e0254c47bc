#include "viewer/core/un_osc.h"

#include <algorithm>
#include <cmath>

#include "common/io_error.h"
#include "viewer/core/file_error.h"
#include "viewer/core/viewer_text.h"

namespace kv {

using namespace osc31;

OscReader::OscReader() : buffer_(new float[kMaxChannels * kOscChunkPoints]()) {}

bool OscReader::Fail(int code, std::string message) {
  lastErrorCode_ = code;
  lastError_ = std::move(message);
  return false;
}

void OscReader::Close() {
  try {
    file_.close();
  } catch (const IoError&) {
    // Closing a file opened for reading cannot lose data.
  }
}

bool OscReader::OpenOscFile(const std::string& Name) {
  Close();
  RtlFile f;
  if (int code = f.tryReset(Name)) {
    return Fail(code, "Не удалось открыть файл «" + Name + "»: " + IoErrorText(code) + ".");
  }
  const std::string bad = "Файл «" + Name + "» не является осциллограммой или повреждён: ";
  try {
    std::int64_t size = f.size();
    std::uint8_t head[kHeaderSize];
    if (f.readSome(head, sizeof head) != sizeof head)
      return Fail(kReadBeyondEof, bad + "он короче заголовка осциллограммы (" + std::to_string(kHeaderSize) + " байта).");
    TOscHeader h;
    DecodeHeader(ByteView(head, sizeof head), h);
    if (h.C > kMaxChannels)
      return Fail(kBadFileFormat, bad + "в заголовке " + std::to_string(h.C) + " каналов, допустимо не более " +
                                      std::to_string(kMaxChannels) + ".");
    unsigned flagged = CountFlaggedChannels(h);
    if (flagged != h.C)
      return Fail(kBadFileFormat, bad + "в заголовке " + std::to_string(h.C) + " каналов, а отмечено " +
                                      std::to_string(flagged) + ".");
    // Every point's time is (i - 1) * step: without a finite positive step
    // there is no time axis to draw on.
    if (!(h.step > 0) || !std::isfinite(h.step))
      return Fail(kBadFileFormat, bad + "шаг по времени " + FormatStep(h.step) + " сек., а он должен быть положительным.");
    // The descriptors must lie inside the file, after every sample the
    // header announces; then no sample read can fall short.
    std::uint64_t e = ParameterBlockOffset(h.N, h.C);
    std::uint64_t need = e + kSectionTableOffset + kSectionTableSize;
    if (static_cast<std::uint64_t>(size) < need)
      return Fail(kReadBeyondEof, bad + "для " + std::to_string(h.N) + " точек " + std::to_string(h.C) +
                                      " каналов и блока параметров нужно не менее " + std::to_string(need) +
                                      " байт, а в файле " + std::to_string(size) + ".");

    std::uint8_t block[kChannelTableSize];
    std::array<TOscChannel, kMaxChannels> channels;
    std::array<TOscSection, kSectionCount> sections;
    std::array<TOscQuantity, kQuantityCount> quantities;
    f.seek(static_cast<std::int64_t>(e + kChannelTableOffset));
    f.blockRead(block, kChannelTableSize);
    DecodeChannelTable(ByteView(block, kChannelTableSize), channels);
    f.seek(static_cast<std::int64_t>(e + kSectionTableOffset));
    f.blockRead(block, kSectionTableSize);
    DecodeSectionTable(ByteView(block, kSectionTableSize), sections);
    f.seek(size - static_cast<std::int64_t>(kQuantityTableSize));
    f.blockRead(block, kQuantityTableSize);
    DecodeQuantityTable(ByteView(block, kQuantityTableSize), quantities);
    f.seek(0);

    OscHeader = h;
    OscChannels = channels;
    OscSections = sections;
    OscQuantities = quantities;
    OscCurValues.fill(0);
  } catch (const IoError& e) {
    return Fail(e.code(), bad + e.what() + ".");
  }
  file_ = std::move(f);
  name_ = Name;
  loaded_ = chunkCount_ = cursor_ = 0;
  allLoaded_ = false;
  lastError_.clear();
  lastErrorCode_ = 0;
  return true;
}

bool OscReader::ReadOscHeader() {
  if (name_.empty()) {
    Close();
    return Fail(kFileNotOpen, "Файл осциллограммы не выбран.");
  }
  std::string name = name_;
  return OpenOscFile(name);
}

void OscReader::RewindOscData() {
  allLoaded_ = false;
  loaded_ = chunkCount_ = cursor_ = 0;
  if (!file_.isOpen()) throw IoError(kFileNotOpen, name_);
  file_.seek(static_cast<std::int64_t>(kSamplesOffset));
}

void OscReader::LoadOscChunk() {
  cursor_ = 0;
  // A read that fails half-way must not leave a chunk that looks loaded.
  chunkCount_ = 0;
  const std::int32_t n = std::min<std::int32_t>(static_cast<std::int32_t>(OscHeader.N) - loaded_, kOscChunkPoints);
  std::uint8_t raw[kOscChunkPoints * kSampleSize];
  for (unsigned a = 1; a <= OscHeader.C; ++a) {
    file_.seek(static_cast<std::int64_t>(SampleOffset(OscHeader.N, a, static_cast<std::uint64_t>(loaded_))));
    file_.blockRead(raw, static_cast<std::size_t>(n) * kSampleSize);
    float* slot = buffer_.get() + (a - 1) * kOscChunkPoints;
    for (std::int32_t i = 0; i < n; ++i) slot[i] = GetF32(raw + i * kSampleSize);
  }
  chunkCount_ = n;
  loaded_ += n;
  if (loaded_ == static_cast<std::int32_t>(OscHeader.N)) allLoaded_ = true;
}

void OscReader::NextOscSample() {
  ++cursor_;
  if (cursor_ > chunkCount_) {
    if (allLoaded_) throw IoError(kReadBeyondEof, name_);
    LoadOscChunk();
    cursor_ = 1;
    if (chunkCount_ == 0) throw IoError(kReadBeyondEof, name_);
  }
  const float* p = buffer_.get() + (cursor_ - 1);
  for (unsigned a = 0; a < OscHeader.C; ++a) OscCurValues[a] = p[a * kOscChunkPoints];
}

std::string QuantityCaption(const OscReader& r, std::uint8_t typeCode) {
  for (const TOscQuantity& q : r.OscQuantities) {
    if (q.code == typeCode) return QuantityNameToUtf8(q) + "," + QuantityUnitToUtf8(q);
  }
  return {};
}

}  // namespace kv
