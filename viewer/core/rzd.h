#pragma once
// Reader of the ".rzs" result files of the Kestrino simulation program: the
// counts, the quantity type of every group, the texts naming every column,
// then rows of float32 values (time first, then group g in column g + 1).
//
// Layout (little-endian, no gaps):
//   i32 NCols (1..15), i32 NRows (>= 0), i32 G (0..NCols-1)
//   G times: i32 k (0..255), 2 bytes ignored, k records of 22 bytes
//            (the last one is kept; its byte 0 is the type code)
//   NCols times 4 ignored bytes
//   u16 R (0..3), u16 L[NCols] (0..80)
//   R lines of NCols texts of L[j] bytes (OEM)
//   NRows rows of NCols float32
//
// The first ReadRzsHeader after Assign reads the file whole and closes it;
// every later one is served from that copy, so series always come from the
// file as it was chosen, whatever happens to it on disk since.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

inline constexpr int kRzsMaxColumns = 15;
inline constexpr int kRzsMaxLines = 3;
inline constexpr int kRzsMaxTextLength = 80;
inline constexpr int kRzsMaxGroupRecords = 255;
inline constexpr int kRzsGroupRecordSize = 22;

using RzsGroupRecord = std::array<std::uint8_t, kRzsGroupRecordSize>;

class RzsReader {
 public:
  // The file the next ReadRzsHeader reads from disk (RzsFileVar's
  // assignment); drops the copy of the file assigned before.
  void Assign(const std::string& path) {
    assigned_ = path;
    copy_ = Copy{};
  }
  const std::string& AssignedName() const { return assigned_; }

  // Opens the assigned file (closing one already open) and reads its header;
  // it stays open at its first row. Throws IoError ("File not found",
  // "Read beyond end of file" ...) or FileFormatError naming the count that
  // does not fit (code kReadBeyondEof when the file cannot hold the rows
  // its header announces); on any failure the file is closed and every
  // record keeps what the previous successful header put there.
  void ReadRzsHeader();

  // 0: the next row is in RzsRow; -1: all NRows rows have been read. Throws
  // IoError ("File not open") when no header was read since the last Close.
  int ReadRzsRow();

  void Close() { open_ = false; }
  bool IsOpen() const { return open_; }

  // Records of the last header read. Arrays are 0-based: RzsGroups[g - 1]
  // is group g, RzsTextLengths[j - 1] and RzsNames[i - 1][j - 1] column j.
  std::int32_t RzsColCount = 0;
  std::int32_t RzsRowCount = 0;
  std::int32_t RzsGroupCount = 0;
  std::array<RzsGroupRecord, kRzsMaxColumns> RzsGroups{};  // zeroed for a group of no record
  std::uint16_t RzsLineCount = 0;
  std::array<std::uint16_t, kRzsMaxColumns> RzsTextLengths{};
  std::array<std::array<std::string, kRzsMaxColumns>, kRzsMaxLines> RzsNames{};  // raw OEM bytes
  std::array<float, kRzsMaxColumns> RzsRow{};  // [0] = time, [g] = group g
  std::int64_t RzsRowIndex = 0;                // rows read since the header

  // Quantity type code of group g (1..RzsGroupCount); 0 for any other g.
  std::uint8_t GroupTypeCode(int g) const {
    return g >= 1 && g <= RzsGroupCount ? RzsGroups[static_cast<std::size_t>(g - 1)][0] : 0;
  }

 private:
  // The assigned file as it was read: its header records and its rows.
  struct Copy {
    bool taken = false;
    std::int32_t cols = 0, rows = 0, groups = 0;
    std::array<RzsGroupRecord, kRzsMaxColumns> groupRecs{};
    std::uint16_t lines = 0;
    std::array<std::uint16_t, kRzsMaxColumns> lengths{};
    std::array<std::array<std::string, kRzsMaxColumns>, kRzsMaxLines> names;
    std::vector<float> values;  // rows * cols, row after row
  };
  void TakeCopy();

  std::string assigned_;
  Copy copy_;
  bool open_ = false;
};

}  // namespace kv
