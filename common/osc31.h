#pragma once
// The ".31" oscillogram: the one file both Kelvotin (writer) and Vistrel
// (reader) use. Every record is encoded and decoded field by field, little-
// endian, over byte buffers; nothing is dumped as a struct, so the layout does
// not depend on the compiler's packing.
//
// Whole file:
//   0             104 bytes      TOscHeader
//   104           4*N*C bytes    samples, channel-major (float32)
//   E=104+4*N*C   1860 bytes     ParameterBlock
// ParameterBlock (relative to E):
//   +0     8    reserved
//   +8     832  32 TOscChannel of 26 bytes (channels 1..32)
//   +840   20   reserved
//   +860   800  16 TOscSection of 50 bytes (sections 1..16)
//   +1660  8    reserved
//   +1668  192  12 TOscQuantity of 16 bytes; the last 192 bytes of the file
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv::osc31 {

using ByteView = std::span<const std::uint8_t>;

inline ByteView AsBytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// ---- Sizes and offsets -------------------------------------------------------

// Header.
inline constexpr std::size_t kHeaderSize = 104;
inline constexpr std::size_t kCommentOffset = 0;
inline constexpr std::size_t kCommentSize = 64;
inline constexpr std::size_t kChannelFlagsOffset = 64;
inline constexpr std::size_t kMaxChannels = 32;  // ChannelFlags and descriptors
inline constexpr std::size_t kPointCountOffset = 96;
inline constexpr std::size_t kChannelCountOffset = 98;
inline constexpr std::size_t kStepOffset = 100;
inline constexpr std::size_t kSamplesOffset = kHeaderSize;
inline constexpr std::size_t kMaxPoints = 65535;
inline constexpr std::size_t kSampleSize = 4;

// Parameter block.
inline constexpr std::size_t kParameterBlockSize = 1860;
inline constexpr std::size_t kReserved0Offset = 0;
inline constexpr std::size_t kReserved0Size = 8;
inline constexpr std::size_t kChannelTableOffset = 8;
inline constexpr std::size_t kChannelRecordSize = 26;
inline constexpr std::size_t kChannelTableSize = kMaxChannels * kChannelRecordSize;  // 832
inline constexpr std::size_t kReserved1Offset = 840;
inline constexpr std::size_t kReserved1Size = 20;
inline constexpr std::size_t kSectionTableOffset = 860;
inline constexpr std::size_t kSectionCount = 16;
inline constexpr std::size_t kSectionRecordSize = 50;
inline constexpr std::size_t kSectionTableSize = kSectionCount * kSectionRecordSize;  // 800
inline constexpr std::size_t kReserved2Offset = 1660;
inline constexpr std::size_t kReserved2Size = 8;
inline constexpr std::size_t kQuantityTableOffset = 1668;
inline constexpr std::size_t kQuantityCount = 12;
inline constexpr std::size_t kQuantityRecordSize = 16;
inline constexpr std::size_t kQuantityTableSize = kQuantityCount * kQuantityRecordSize;  // 192

// TOscChannel fields.
inline constexpr std::size_t kChannelNameSize = 22;
inline constexpr std::size_t kChannelTypeOffset = 22;
inline constexpr std::size_t kChannelSpareOffset = 23;
inline constexpr std::size_t kChannelStoredOffset = 24;
// TOscSection fields.
inline constexpr std::size_t kSectionNameSize = 16;
inline constexpr std::size_t kSectionTypeOffset = 16;
inline constexpr std::size_t kSectionSpareOffset = 17;
inline constexpr std::size_t kSectionIncludeOffset = 18;
// TOscQuantity fields.
inline constexpr std::size_t kQuantityCodeOffset = 0;
inline constexpr std::size_t kQuantityNameOffset = 2;
inline constexpr std::size_t kQuantityNameSize = 6;
inline constexpr std::size_t kQuantityUnitOffset = 8;
inline constexpr std::size_t kQuantityUnitSize = 8;
inline constexpr std::size_t kQuantityUnitShown = 6;  // the viewer uses unit bytes 8..13

// Shown lengths of stored texts.
inline constexpr std::size_t kCommentShownChars = 64;
inline constexpr std::size_t kNameShownChars = 16;

// The model's grid step, 0.02 s: the float32 with bytes 0A D7 A3 3C.
inline constexpr std::uint32_t kModelStepBits = 0x3CA3D70Au;

// Offset of the parameter block: E = 104 + 4*N*C (N and C unsigned).
constexpr std::uint64_t ParameterBlockOffset(std::uint16_t n, std::uint16_t c) {
  return kHeaderSize + std::uint64_t{kSampleSize} * n * c;
}
// Offset of point i (0-based) of stored channel k (1-based).
constexpr std::uint64_t SampleOffset(std::uint16_t n, unsigned k, std::uint64_t i) {
  return kHeaderSize + std::uint64_t{kSampleSize} * (std::uint64_t{n} * (k - 1) + i);
}
// Size of a complete file: header, samples, parameter block.
constexpr std::uint64_t FileSize(std::uint16_t n, std::uint16_t c) {
  return ParameterBlockOffset(n, c) + kParameterBlockSize;
}

// ---- Records ----------------------------------------------------------------

struct TOscHeader {
  std::array<std::uint8_t, kCommentSize> CommentText{};   // OEM text, NUL-ended
  std::array<std::uint8_t, kMaxChannels> ChannelFlags{};  // [0] = channel 1
  std::uint16_t N = 0;                                    // points per channel
  std::uint16_t C = 0;                                    // stored channels
  float step = 0;                                         // seconds

  bool operator==(const TOscHeader&) const = default;
};

struct TOscChannel {
  std::array<std::uint8_t, kChannelNameSize> name{};  // OEM text, NUL-ended
  std::uint8_t typeCode = 0;                          // matched against TOscQuantity::code
  std::uint8_t spare = 0;                             // not read by the viewer; kept
  std::uint16_t stored = 0;                           // nonzero = in the sample part

  bool operator==(const TOscChannel&) const = default;
};

struct TOscSection {
  std::array<std::uint8_t, kSectionNameSize> name{};  // OEM text, NUL inside the field
  std::uint8_t typeCode = 0;
  std::uint8_t spare = 0;
  std::array<std::uint8_t, kMaxChannels> include{};   // [j-1] == 1: descriptor j in the sum

  bool operator==(const TOscSection&) const = default;
};

struct TOscQuantity {
  std::int16_t code = 0;                                // 0 = empty record
  std::array<std::uint8_t, kQuantityNameSize> name{};   // OEM text
  std::array<std::uint8_t, kQuantityUnitSize> unit{};   // OEM text

  bool operator==(const TOscQuantity&) const = default;
};

// The whole 1860-byte parameter block; reserved bytes are kept so that a
// decode followed by an encode gives the same bytes back.
struct TOscParameterBlock {
  std::array<std::uint8_t, kReserved0Size> reserved0{};
  std::array<TOscChannel, kMaxChannels> channels{};  // [j-1] = channel j
  std::array<std::uint8_t, kReserved1Size> reserved1{};
  std::array<TOscSection, kSectionCount> sections{};  // [s-1] = section s
  std::array<std::uint8_t, kReserved2Size> reserved2{};
  std::array<TOscQuantity, kQuantityCount> quantities{};

  bool operator==(const TOscParameterBlock&) const = default;
};

// ---- Little-endian primitives (shared with the result-file reader) ---------

std::uint16_t GetU16(const std::uint8_t* p);
std::uint32_t GetU32(const std::uint8_t* p);
float GetF32(const std::uint8_t* p);
void PutF32(std::uint8_t* p, float v);

// ---- Decode and encode -------------------------------------------------------
// A decoder reads its record from the start of `b` (b may be longer); a
// buffer too short gives false and leaves `out` untouched. An encoder returns
// exactly the record's bytes.

bool DecodeHeader(ByteView b, TOscHeader& out);                  // 104 bytes
bool DecodeParameterBlock(ByteView b, TOscParameterBlock& out);  // 1860 bytes
// The tables as the viewer reads them: 832 bytes from E+8, 800 from E+860
// and the file's last 192 bytes.
bool DecodeChannelTable(ByteView b, std::array<TOscChannel, kMaxChannels>& out);
bool DecodeSectionTable(ByteView b, std::array<TOscSection, kSectionCount>& out);
bool DecodeQuantityTable(ByteView b, std::array<TOscQuantity, kQuantityCount>& out);

std::string EncodeHeader(const TOscHeader& h);
std::string EncodeParameterBlock(const TOscParameterBlock& p);

// ---- Texts --------------------------------------------------------------------

// Stored texts as the viewer shows them, converted from code page 866 to UTF-8.
std::string CommentToUtf8(const TOscHeader& h);  // up to the first NUL, <= 64 chars
std::string NameToUtf8(const TOscChannel& c);    // up to the first NUL, <= 16 chars
std::string NameToUtf8(const TOscSection& s);    // up to the first NUL, <= 16 chars
// Quantity name (6 bytes) and unit (its first 6 bytes) with every NUL and
// blank byte skipped, wherever it stands.
std::string QuantityNameToUtf8(const TOscQuantity& q);
std::string QuantityUnitToUtf8(const TOscQuantity& q);

// Stores a UTF-8 text as code page 866 into a field, cut to `maxChars` and
// followed by NUL bytes up to the field's end. maxChars must leave room for a
// NUL unless the field is allowed to be full (quantity name and unit).
void SetOemBytes(std::uint8_t* field, std::size_t size, std::string_view utf8, std::size_t maxChars);
template <std::size_t Size>
void SetOemText(std::array<std::uint8_t, Size>& field, std::string_view utf8, std::size_t maxChars) {
  SetOemBytes(field.data(), Size, utf8, maxChars);
}

// ---- Invariants ----------------------------------------------------------------

// Number of nonzero ChannelFlags.
unsigned CountFlaggedChannels(const TOscHeader& h);

}  // namespace kv::osc31
