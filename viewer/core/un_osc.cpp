#include "viewer/core/un_osc.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/io_error.h"
#include "common/rtl_file.h"
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

void OscReader::Close() { open_ = false; }

namespace {

unsigned CountStoredDescriptors(const std::array<TOscChannel, kMaxChannels>& channels) {
  return static_cast<unsigned>(
      std::count_if(channels.begin(), channels.end(), [](const TOscChannel& c) { return c.stored != 0; }));
}

}  // namespace

bool OscReader::OpenOscFile(const std::string& Name) {
  Close();
  RtlFile f;  // closes itself on every way out
  if (int code = f.tryReset(Name)) {
    return Fail(code, "Не удалось открыть файл «" + Name + "»: " + IoErrorText(code) + ".");
  }
  const std::string bad = "Файл «" + Name + "» не является осциллограммой или повреждён: ";
  Snapshot snap;
  try {
    std::int64_t size = f.size();
    std::uint8_t head[kHeaderSize];
    if (f.readSome(head, sizeof head) != sizeof head)
      return Fail(kReadBeyondEof, bad + "он короче заголовка осциллограммы (" + std::to_string(kHeaderSize) + " байта).");
    TOscHeader& h = snap.header;
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
    // The whole layout must be there: a file short of it has either lost
    // its end or announces more samples than it holds, and then every
    // descriptor would be read from the wrong place.
    const std::uint64_t need = FileSize(h.N, h.C);
    if (static_cast<std::uint64_t>(size) < need)
      return Fail(kReadBeyondEof, bad + "для " + std::to_string(h.N) + " точек " + std::to_string(h.C) +
                                      " каналов и блока параметров нужно не менее " + std::to_string(need) +
                                      " байт, а в файле " + std::to_string(size) + ".");

    // All samples in one read, straight into place (little-endian floats).
    const std::size_t count = std::size_t{h.N} * h.C;
    snap.samples.reset(new float[count]);
    f.blockRead(snap.samples.get(), count * kSampleSize);
    if constexpr (std::endian::native != std::endian::little) {
      for (std::size_t i = 0; i < count; ++i)
        snap.samples[i] = GetF32(reinterpret_cast<const std::uint8_t*>(&snap.samples[i]));
    }
    std::uint8_t block[kParameterBlockSize];
    f.blockRead(block, sizeof block);
    // Other writers may append bytes: the quantity table is the file's end.
    if (static_cast<std::uint64_t>(size) > need) {
      f.seek(size - static_cast<std::int64_t>(kQuantityTableSize));
      f.blockRead(block + kQuantityTableOffset, kQuantityTableSize);
    }
    DecodeChannelTable(ByteView(block + kChannelTableOffset, kChannelTableSize), snap.channels);
    DecodeSectionTable(ByteView(block + kSectionTableOffset, kSectionTableSize), snap.sections);
    DecodeQuantityTable(ByteView(block + kQuantityTableOffset, kQuantityTableSize), snap.quantities);
  } catch (const IoError& e) {
    return Fail(e.code(), bad + e.what() + ".");
  }
  // Sections find their samples by counting the descriptors with a nonzero
  // stored word; any other count than C would sum the wrong channels.
  const unsigned described = CountStoredDescriptors(snap.channels);
  if (described != snap.header.C)
    return Fail(kBadFileFormat, bad + "число каналов в заголовке (" + std::to_string(snap.header.C) +
                                    ") не совпадает с числом описаний записанных каналов (" +
                                    std::to_string(described) + ").");
  file_ = std::move(snap);
  name_ = Name;
  Reopen();
  return true;
}

void OscReader::Reopen() {
  OscHeader = file_.header;
  OscChannels = file_.channels;
  OscSections = file_.sections;
  OscQuantities = file_.quantities;
  OscCurValues.fill(0);
  loaded_ = chunkCount_ = cursor_ = 0;
  allLoaded_ = false;
  lastError_.clear();
  lastErrorCode_ = 0;
  open_ = true;
}

bool OscReader::ReadOscHeader() {
  if (name_.empty()) {
    Close();
    return Fail(kFileNotOpen, "Файл осциллограммы не выбран.");
  }
  Reopen();
  return true;
}

void OscReader::RewindOscData() {
  allLoaded_ = false;
  loaded_ = chunkCount_ = cursor_ = 0;
  if (!open_) throw IoError(kFileNotOpen, name_);
}

std::span<const float> OscReader::ChannelSamples(unsigned a) const {
  if (!open_) throw IoError(kFileNotOpen, name_);
  const std::size_t n = OscHeader.N;
  if (a < 1 || a > OscHeader.C) return {};
  return {file_.samples.get() + (a - 1) * n, n};
}

void OscReader::LoadOscChunk() {
  cursor_ = 0;
  chunkCount_ = 0;
  if (!open_) throw IoError(kFileNotOpen, name_);
  const std::int32_t n = std::min<std::int32_t>(static_cast<std::int32_t>(OscHeader.N) - loaded_, kOscChunkPoints);
  for (unsigned a = 1; a <= OscHeader.C; ++a) {
    std::span<const float> channel = ChannelSamples(a);
    std::copy_n(channel.begin() + loaded_, n, buffer_.get() + (a - 1) * kOscChunkPoints);
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

std::string QuantityCaption(const std::array<TOscQuantity, kQuantityCount>& table, std::uint8_t typeCode) {
  for (const TOscQuantity& q : table) {
    if (q.code == typeCode) return QuantityNameToUtf8(q) + "," + QuantityUnitToUtf8(q);
  }
  return {};
}

std::string QuantityCaption(const OscReader& r, std::uint8_t typeCode) { return QuantityCaption(r.OscQuantities, typeCode); }

}  // namespace kv
