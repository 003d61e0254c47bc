#include "common/osc31.h"

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstring>
#include <type_traits>

#include "common/codepage.h"

namespace kv::osc31 {

namespace {

// Each record's fields are listed once, in a Walk below; the same list
// decodes (with a Reader) and encodes (with a Writer), so the two directions
// cannot disagree about an offset.
struct Reader {
  const std::uint8_t* p;
  Reader At(std::size_t off) const { return {p + off}; }
  template <std::size_t N>
  void Bytes(std::size_t off, std::array<std::uint8_t, N>& a) const { std::memcpy(a.data(), p + off, N); }
  void Byte(std::size_t off, std::uint8_t& v) const { v = p[off]; }
  template <class T>
  void Word(std::size_t off, T& v) const { v = static_cast<T>(GetU16(p + off)); }
  void Float(std::size_t off, float& v) const { v = GetF32(p + off); }
};

struct Writer {
  std::uint8_t* p;
  Writer At(std::size_t off) const { return {p + off}; }
  template <std::size_t N>
  void Bytes(std::size_t off, const std::array<std::uint8_t, N>& a) const { std::memcpy(p + off, a.data(), N); }
  void Byte(std::size_t off, std::uint8_t v) const { p[off] = v; }
  template <class T>
  void Word(std::size_t off, T v) const {
    auto u = static_cast<std::uint16_t>(v);
    p[off] = static_cast<std::uint8_t>(u & 0xFF);
    p[off + 1] = static_cast<std::uint8_t>(u >> 8);
  }
  void Float(std::size_t off, float v) const {
    std::uint32_t u = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[off + i] = static_cast<std::uint8_t>(u >> (8 * i));
  }
};

// R is the record itself (decoding) or a const one (encoding).
template <class R, class T>
concept Is = std::same_as<std::remove_const_t<R>, T>;

template <class Io, Is<TOscHeader> R>
void Walk(const Io& io, R& h) {
  io.Bytes(kCommentOffset, h.CommentText);
  io.Bytes(kChannelFlagsOffset, h.ChannelFlags);
  io.Word(kPointCountOffset, h.N);
  io.Word(kChannelCountOffset, h.C);
  io.Float(kStepOffset, h.step);
}

template <class Io, Is<TOscChannel> R>
void Walk(const Io& io, R& c) {
  io.Bytes(0, c.name);
  io.Byte(kChannelTypeOffset, c.typeCode);
  io.Byte(kChannelSpareOffset, c.spare);
  io.Word(kChannelStoredOffset, c.stored);
}

template <class Io, Is<TOscSection> R>
void Walk(const Io& io, R& s) {
  io.Bytes(0, s.name);
  io.Byte(kSectionTypeOffset, s.typeCode);
  io.Byte(kSectionSpareOffset, s.spare);
  io.Bytes(kSectionIncludeOffset, s.include);
}

template <class Io, Is<TOscQuantity> R>
void Walk(const Io& io, R& q) {
  io.Word(kQuantityCodeOffset, q.code);
  io.Bytes(kQuantityNameOffset, q.name);
  io.Bytes(kQuantityUnitOffset, q.unit);
}

template <class Io, class Table>
void WalkTable(const Io& io, std::size_t recordSize, Table& t) {
  for (std::size_t i = 0; i < t.size(); ++i) Walk(io.At(i * recordSize), t[i]);
}

template <class Io, Is<TOscParameterBlock> R>
void Walk(const Io& io, R& pb) {
  io.Bytes(kReserved0Offset, pb.reserved0);
  WalkTable(io.At(kChannelTableOffset), kChannelRecordSize, pb.channels);
  io.Bytes(kReserved1Offset, pb.reserved1);
  WalkTable(io.At(kSectionTableOffset), kSectionRecordSize, pb.sections);
  io.Bytes(kReserved2Offset, pb.reserved2);
  WalkTable(io.At(kQuantityTableOffset), kQuantityRecordSize, pb.quantities);
}

template <class T>
bool Decode(ByteView b, std::size_t size, T& out) {
  if (b.size() < size) return false;
  T r{};
  Walk(Reader{b.data()}, r);
  out = r;
  return true;
}

template <class T, std::size_t N>
bool DecodeTable(ByteView b, std::size_t recordSize, std::array<T, N>& out) {
  if (b.size() < N * recordSize) return false;
  std::array<T, N> t{};
  WalkTable(Reader{b.data()}, recordSize, t);
  out = t;
  return true;
}

template <class T>
std::string Encode(const T& r, std::size_t size) {
  std::string s(size, '\0');
  Walk(Writer{reinterpret_cast<std::uint8_t*>(s.data())}, r);
  return s;
}

std::string SkipBlanksAndNuls(const std::uint8_t* p, std::size_t n) {
  std::string bytes;
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0 && p[i] != ' ') bytes.push_back(static_cast<char>(p[i]));
  return Cp866ToUtf8(bytes);
}

template <std::size_t Size>
std::string_view View(const std::array<std::uint8_t, Size>& a) {
  return {reinterpret_cast<const char*>(a.data()), Size};
}

}  // namespace

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t GetU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

float GetF32(const std::uint8_t* p) { return std::bit_cast<float>(GetU32(p)); }

void PutF32(std::uint8_t* p, float v) { Writer{p}.Float(0, v); }

bool DecodeHeader(ByteView b, TOscHeader& out) { return Decode(b, kHeaderSize, out); }
bool DecodeParameterBlock(ByteView b, TOscParameterBlock& out) { return Decode(b, kParameterBlockSize, out); }
bool DecodeChannelTable(ByteView b, std::array<TOscChannel, kMaxChannels>& out) {
  return DecodeTable(b, kChannelRecordSize, out);
}
bool DecodeSectionTable(ByteView b, std::array<TOscSection, kSectionCount>& out) {
  return DecodeTable(b, kSectionRecordSize, out);
}
bool DecodeQuantityTable(ByteView b, std::array<TOscQuantity, kQuantityCount>& out) {
  return DecodeTable(b, kQuantityRecordSize, out);
}

std::string EncodeHeader(const TOscHeader& h) { return Encode(h, kHeaderSize); }
std::string EncodeParameterBlock(const TOscParameterBlock& p) { return Encode(p, kParameterBlockSize); }

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
  return static_cast<unsigned>(
      std::count_if(h.ChannelFlags.begin(), h.ChannelFlags.end(), [](std::uint8_t f) { return f != 0; }));
}

}  // namespace kv::osc31
