#include "common/osc31.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/codepage.h"

namespace kv::osc31 {

namespace {

bool Fits(ByteView b, std::size_t off, std::size_t size) { return off <= b.size() && size <= b.size() - off; }

template <std::size_t Size>
void CopyOut(const std::uint8_t* p, std::array<std::uint8_t, Size>& a) {
  std::memcpy(a.data(), p, Size);
}

template <std::size_t Size>
void CopyIn(std::uint8_t* p, const std::array<std::uint8_t, Size>& a) {
  std::memcpy(p, a.data(), Size);
}

// Decoders of a record known to fit.
TOscChannel ChannelFrom(const std::uint8_t* p) {
  TOscChannel c;
  CopyOut(p, c.name);
  c.typeCode = p[kChannelTypeOffset];
  c.spare = p[kChannelSpareOffset];
  c.stored = GetU16(p + kChannelStoredOffset);
  return c;
}

TOscSection SectionFrom(const std::uint8_t* p) {
  TOscSection s;
  CopyOut(p, s.name);
  s.typeCode = p[kSectionTypeOffset];
  s.spare = p[kSectionSpareOffset];
  CopyOut(p + kSectionIncludeOffset, s.include);
  return s;
}

TOscQuantity QuantityFrom(const std::uint8_t* p) {
  TOscQuantity q;
  q.code = static_cast<std::int16_t>(GetU16(p + kQuantityCodeOffset));
  CopyOut(p + kQuantityNameOffset, q.name);
  CopyOut(p + kQuantityUnitOffset, q.unit);
  return q;
}

void ChannelTo(std::uint8_t* p, const TOscChannel& c) {
  CopyIn(p, c.name);
  p[kChannelTypeOffset] = c.typeCode;
  p[kChannelSpareOffset] = c.spare;
  PutU16(p + kChannelStoredOffset, c.stored);
}

void SectionTo(std::uint8_t* p, const TOscSection& s) {
  CopyIn(p, s.name);
  p[kSectionTypeOffset] = s.typeCode;
  p[kSectionSpareOffset] = s.spare;
  CopyIn(p + kSectionIncludeOffset, s.include);
}

void QuantityTo(std::uint8_t* p, const TOscQuantity& q) {
  PutU16(p + kQuantityCodeOffset, static_cast<std::uint16_t>(q.code));
  CopyIn(p + kQuantityNameOffset, q.name);
  CopyIn(p + kQuantityUnitOffset, q.unit);
}

std::uint8_t* Raw(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

std::string SkipBlanksAndNuls(const std::uint8_t* p, std::size_t n) {
  std::string bytes;
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0 && p[i] != ' ') bytes.push_back(static_cast<char>(p[i]));
  return Cp866ToUtf8(bytes);
}

}  // namespace

// ---- Primitives ---------------------------------------------------------------

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

float GetF32(const std::uint8_t* p) {
  std::uint32_t v = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                    (std::uint32_t{p[3]} << 24);
  return std::bit_cast<float>(v);
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutF32(std::uint8_t* p, float f) {
  std::uint32_t v = std::bit_cast<std::uint32_t>(f);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool ReadU8(ByteView b, std::size_t off, std::uint8_t& out) {
  if (!Fits(b, off, 1)) return false;
  out = b[off];
  return true;
}

bool ReadU16(ByteView b, std::size_t off, std::uint16_t& out) {
  if (!Fits(b, off, 2)) return false;
  out = GetU16(b.data() + off);
  return true;
}

bool ReadI16(ByteView b, std::size_t off, std::int16_t& out) {
  if (!Fits(b, off, 2)) return false;
  out = static_cast<std::int16_t>(GetU16(b.data() + off));
  return true;
}

bool ReadF32(ByteView b, std::size_t off, float& out) {
  if (!Fits(b, off, 4)) return false;
  out = GetF32(b.data() + off);
  return true;
}

// ---- Decode ---------------------------------------------------------------------

bool DecodeHeader(ByteView b, TOscHeader& out) {
  if (!Fits(b, 0, kHeaderSize)) return false;
  const std::uint8_t* p = b.data();
  TOscHeader h;
  CopyOut(p + kCommentOffset, h.CommentText);
  CopyOut(p + kChannelFlagsOffset, h.ChannelFlags);
  h.N = GetU16(p + kPointCountOffset);
  h.C = GetU16(p + kChannelCountOffset);
  h.step = GetF32(p + kStepOffset);
  out = h;
  return true;
}

bool DecodeChannel(ByteView b, TOscChannel& out) {
  if (!Fits(b, 0, kChannelRecordSize)) return false;
  out = ChannelFrom(b.data());
  return true;
}

bool DecodeSection(ByteView b, TOscSection& out) {
  if (!Fits(b, 0, kSectionRecordSize)) return false;
  out = SectionFrom(b.data());
  return true;
}

bool DecodeQuantity(ByteView b, TOscQuantity& out) {
  if (!Fits(b, 0, kQuantityRecordSize)) return false;
  out = QuantityFrom(b.data());
  return true;
}

bool DecodeChannelTable(ByteView b, std::array<TOscChannel, kMaxChannels>& out) {
  if (!Fits(b, 0, kChannelTableSize)) return false;
  for (std::size_t j = 0; j < kMaxChannels; ++j) out[j] = ChannelFrom(b.data() + j * kChannelRecordSize);
  return true;
}

bool DecodeSectionTable(ByteView b, std::array<TOscSection, kSectionCount>& out) {
  if (!Fits(b, 0, kSectionTableSize)) return false;
  for (std::size_t s = 0; s < kSectionCount; ++s) out[s] = SectionFrom(b.data() + s * kSectionRecordSize);
  return true;
}

bool DecodeQuantityTable(ByteView b, std::array<TOscQuantity, kQuantityCount>& out) {
  if (!Fits(b, 0, kQuantityTableSize)) return false;
  for (std::size_t q = 0; q < kQuantityCount; ++q) out[q] = QuantityFrom(b.data() + q * kQuantityRecordSize);
  return true;
}

bool DecodeChannelAt(ByteView block, unsigned j, TOscChannel& out) {
  if (j < 1 || j > kMaxChannels) return false;
  std::size_t off = kChannelTableOffset + (j - 1) * kChannelRecordSize;
  if (!Fits(block, off, kChannelRecordSize)) return false;
  out = ChannelFrom(block.data() + off);
  return true;
}

bool DecodeSectionAt(ByteView block, unsigned s, TOscSection& out) {
  if (s < 1 || s > kSectionCount) return false;
  std::size_t off = kSectionTableOffset + (s - 1) * kSectionRecordSize;
  if (!Fits(block, off, kSectionRecordSize)) return false;
  out = SectionFrom(block.data() + off);
  return true;
}

bool DecodeQuantityAt(ByteView block, unsigned q, TOscQuantity& out) {
  if (q < 1 || q > kQuantityCount) return false;
  std::size_t off = kQuantityTableOffset + (q - 1) * kQuantityRecordSize;
  if (!Fits(block, off, kQuantityRecordSize)) return false;
  out = QuantityFrom(block.data() + off);
  return true;
}

bool DecodeParameterBlock(ByteView b, TOscParameterBlock& out) {
  if (!Fits(b, 0, kParameterBlockSize)) return false;
  const std::uint8_t* p = b.data();
  TOscParameterBlock pb;
  CopyOut(p + kReserved0Offset, pb.reserved0);
  DecodeChannelTable(b.subspan(kChannelTableOffset), pb.channels);
  CopyOut(p + kReserved1Offset, pb.reserved1);
  DecodeSectionTable(b.subspan(kSectionTableOffset), pb.sections);
  CopyOut(p + kReserved2Offset, pb.reserved2);
  DecodeQuantityTable(b.subspan(kQuantityTableOffset), pb.quantities);
  out = pb;
  return true;
}

// ---- Encode ---------------------------------------------------------------------

std::string EncodeHeader(const TOscHeader& h) {
  std::string s(kHeaderSize, '\0');
  std::uint8_t* p = Raw(s);
  CopyIn(p + kCommentOffset, h.CommentText);
  CopyIn(p + kChannelFlagsOffset, h.ChannelFlags);
  PutU16(p + kPointCountOffset, h.N);
  PutU16(p + kChannelCountOffset, h.C);
  PutF32(p + kStepOffset, h.step);
  return s;
}

std::string EncodeChannel(const TOscChannel& c) {
  std::string s(kChannelRecordSize, '\0');
  ChannelTo(Raw(s), c);
  return s;
}

std::string EncodeSection(const TOscSection& sec) {
  std::string s(kSectionRecordSize, '\0');
  SectionTo(Raw(s), sec);
  return s;
}

std::string EncodeQuantity(const TOscQuantity& q) {
  std::string s(kQuantityRecordSize, '\0');
  QuantityTo(Raw(s), q);
  return s;
}

std::string EncodeParameterBlock(const TOscParameterBlock& pb) {
  std::string s(kParameterBlockSize, '\0');
  std::uint8_t* p = Raw(s);
  CopyIn(p + kReserved0Offset, pb.reserved0);
  for (std::size_t j = 0; j < kMaxChannels; ++j)
    ChannelTo(p + kChannelTableOffset + j * kChannelRecordSize, pb.channels[j]);
  CopyIn(p + kReserved1Offset, pb.reserved1);
  for (std::size_t k = 0; k < kSectionCount; ++k)
    SectionTo(p + kSectionTableOffset + k * kSectionRecordSize, pb.sections[k]);
  CopyIn(p + kReserved2Offset, pb.reserved2);
  for (std::size_t q = 0; q < kQuantityCount; ++q)
    QuantityTo(p + kQuantityTableOffset + q * kQuantityRecordSize, pb.quantities[q]);
  return s;
}

// ---- Texts ------------------------------------------------------------------------

namespace {
template <std::size_t Size>
std::string_view View(const std::array<std::uint8_t, Size>& a) {
  return {reinterpret_cast<const char*>(a.data()), Size};
}
}  // namespace

std::string CommentToUtf8(const TOscHeader& h) { return OemFieldToUtf8(View(h.CommentText), kCommentShownChars); }
std::string NameToUtf8(const TOscChannel& c) { return OemFieldToUtf8(View(c.name), kNameShownChars); }
std::string NameToUtf8(const TOscSection& s) { return OemFieldToUtf8(View(s.name), kNameShownChars); }

std::string QuantityNameToUtf8(const TOscQuantity& q) { return SkipBlanksAndNuls(q.name.data(), kQuantityNameSize); }
std::string QuantityUnitToUtf8(const TOscQuantity& q) { return SkipBlanksAndNuls(q.unit.data(), kQuantityUnitShown); }

void SetOemBytes(std::uint8_t* field, std::size_t size, std::string_view utf8, std::size_t maxChars) {
  std::string oem = Utf8ToCp866(utf8);
  std::size_t n = std::min({oem.size(), maxChars, size});
  std::memset(field, 0, size);
  std::memcpy(field, oem.data(), n);
}

unsigned CountFlaggedChannels(const TOscHeader& h) {
  return static_cast<unsigned>(std::count_if(h.ChannelFlags.begin(), h.ChannelFlags.end(), [](std::uint8_t f) { return f != 0; }));
}

}  // namespace kv::osc31
