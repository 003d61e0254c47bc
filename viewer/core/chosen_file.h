#pragma once
// The file chosen in the phenomena dialog: everything its read-outs and pick
// lists show and everything adding a phenomenon needs, taken once when the
// file is opened. Browsing in the open dialog never touches it; only the
// next completed open replaces it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/osc31.h"

namespace kv {

class OscReader;
class RzsReader;

// The open dialog's filter index: 1 oscillogram (".31"), 2 result file (".rzs").
inline constexpr int kKindResults = 2;

struct ChosenFile {
  std::string Path;  // full path; empty = no file chosen
  int Kind = 0;      // filter index it was opened with; 0 = none

  // Read-outs.
  std::string FileName;     // the path after its last folder separator
  std::string Comment;      // ".31" comment; empty for a ".rzs"
  std::string TimeOsc;      // duration, "#0.##" + " сек."
  std::string TimeOpr;      // step, "#0.######" + " сек."
  std::string CountPoints;  // points per channel (rows of a ".rzs")
  std::int64_t Points = 0;  // the same as a number

  // Pick lists: "Явления" (channels or result groups) and "Сечения"
  // (sections of a ".31"), and FItemData: the type code of every Factors
  // item, then the section number of every Sums item.
  std::vector<std::string> Factors;
  std::vector<std::string> Sums;
  std::vector<std::uint8_t> FItemData;

  // What adding needs: the stored-channel count C, the section descriptors
  // and the quantity table (the built-in one for a ".rzs").
  unsigned C = 0;
  std::array<osc31::TOscSection, osc31::kSectionCount> Sections{};
  std::array<osc31::TOscQuantity, osc31::kQuantityCount> Quantities{};

  bool Chosen() const { return !Path.empty(); }
  // Type code of Factors item i, or of the section of Sums item i.
  std::uint8_t TypeCodeOfFactor(std::size_t i) const;
  std::uint8_t TypeCodeOfSum(std::size_t i) const;
  // Section number of Sums item i (1..16).
  std::uint8_t SectionOfSum(std::size_t i) const;
  // "name,unit" of the quantity with this code; empty when none has it.
  std::string Caption(std::uint8_t typeCode) const;
};

// Opens `path` as an oscillogram (kind 1) or a result file (any other kind)
// and takes everything the dialog shows. The file is read by `osc` or `rzs`,
// which then holds it as opened for filling series from it. Throws
// IoError (FileFormatError) with a message that names the file and the reason.
ChosenFile ReadChosenFile(const std::string& path, int kind, OscReader& osc, RzsReader& rzs);

// The quantity table a ".rzs" is shown with: P,MW; Angle,deg; U,kV; I,kA;
// F,H for codes 1, 2, 3, 4, 6, every other record empty.
std::array<osc31::TOscQuantity, osc31::kQuantityCount> ResultQuantities();

// The part of a path after its last "/" or "\".
std::string NameWithoutFolder(const std::string& path);

// Comment of the ".31" at `path` read with the browse reader `r` (never the
// chosen file's); empty when the file cannot be read as an oscillogram.
std::string PreviewComment(OscReader& r, const std::string& path);

}  // namespace kv
