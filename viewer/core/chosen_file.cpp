#include "viewer/core/chosen_file.h"

#include "common/codepage.h"
#include "viewer/core/file_error.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"
#include "viewer/core/viewer_text.h"

namespace kv {

using namespace osc31;

namespace {

const std::string kSeconds = " сек.";

void ReadOscillogram(ChosenFile& f, OscReader& r) {
  if (!r.OpenOscFile(f.Path)) throw FileFormatError(r.LastError(), r.LastErrorCode());
  r.Close();
  const TOscHeader& h = r.OscHeader;
  f.Comment = CommentToUtf8(h);
  f.TimeOsc = FormatDuration((static_cast<double>(h.N) - 1) * h.step) + kSeconds;
  f.TimeOpr = FormatStep(h.step) + kSeconds;
  f.Points = h.N;
  f.CountPoints = std::to_string(f.Points);
  for (std::size_t j = 0; j < kMaxChannels; ++j) {
    if (h.ChannelFlags[j] == 0) continue;
    f.Factors.push_back(NameToUtf8(r.OscChannels[j]));
    f.FItemData.push_back(r.OscChannels[j].typeCode);
  }
  // A section is offered when at least one channel it includes is stored.
  for (std::size_t s = 0; s < kSectionCount; ++s) {
    const TOscSection& sec = r.OscSections[s];
    bool present = false;
    for (std::size_t j = 0; j < kMaxChannels && !present; ++j)
      present = sec.include[j] == 1 && r.OscChannels[j].stored != 0;
    if (!present) continue;
    f.Sums.push_back(NameToUtf8(sec));
    f.FItemData.push_back(static_cast<std::uint8_t>(s + 1));
  }
  f.C = h.C;
  f.Sections = r.OscSections;
  f.Quantities = r.OscQuantities;
}

// A column text as the list shows it: up to its first NUL, without trailing
// blanks and control characters, converted from the OEM code page.
std::string ColumnText(const std::string& raw) {
  std::string t = raw.substr(0, raw.find('\0'));
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.pop_back();
  return Cp866ToUtf8(t);
}

void ReadResults(ChosenFile& f, RzsReader& r) {
  r.Assign(f.Path);
  r.ReadRzsHeader();
  // The step is the time of the second row (of the only row when there is
  // one; 0 without rows).
  double step = 0;
  for (int i = 0; i < 2 && r.ReadRzsRow() == 0; ++i) step = r.RzsRow[0];
  r.Close();
  f.TimeOsc = FormatDuration(static_cast<double>(r.RzsRowCount) * step) + kSeconds;
  f.TimeOpr = FormatStep(step) + kSeconds;
  f.Points = r.RzsRowCount;
  f.CountPoints = std::to_string(f.Points);
  for (int g = 1; g <= r.RzsGroupCount; ++g) {
    std::string text;
    for (int i = 0; i < r.RzsLineCount; ++i)
      text += ColumnText(r.RzsNames[static_cast<std::size_t>(i)][static_cast<std::size_t>(g)]) + " ";
    f.Factors.push_back(text);
    f.FItemData.push_back(r.GroupTypeCode(g));
  }
  f.Quantities = ResultQuantities();
}

}  // namespace

std::uint8_t ChosenFile::TypeCodeOfFactor(std::size_t i) const { return i < Factors.size() ? FItemData[i] : 0; }

std::uint8_t ChosenFile::SectionOfSum(std::size_t i) const {
  return i < Sums.size() ? FItemData[Factors.size() + i] : 0;
}

std::uint8_t ChosenFile::TypeCodeOfSum(std::size_t i) const {
  const std::uint8_t s = SectionOfSum(i);
  return s >= 1 && s <= kSectionCount ? Sections[s - 1u].typeCode : 0;
}

std::string ChosenFile::Caption(std::uint8_t typeCode) const { return QuantityCaption(Quantities, typeCode); }

std::array<TOscQuantity, kQuantityCount> ResultQuantities() {
  struct Entry {
    std::int16_t code;
    const char* name;
    const char* unit;
  };
  static constexpr Entry kBuiltIn[] = {{1, "P", "MW"}, {2, "Angle", "deg"}, {3, "U", "kV"}, {4, "I", "kA"}, {6, "F", "H"}};
  std::array<TOscQuantity, kQuantityCount> q{};  // cleared whole: no byte of an earlier file survives
  for (std::size_t i = 0; i < std::size(kBuiltIn); ++i) {
    q[i].code = kBuiltIn[i].code;
    SetOemText(q[i].name, kBuiltIn[i].name, kQuantityNameSize);
    SetOemText(q[i].unit, kBuiltIn[i].unit, kQuantityUnitSize);
  }
  return q;
}

std::string NameWithoutFolder(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

ChosenFile ReadChosenFile(const std::string& path, int kind, OscReader& osc, RzsReader& rzs) {
  ChosenFile f;
  f.Path = path;
  f.Kind = kind == kKindOscillogram ? kKindOscillogram : kKindResults;
  f.FileName = NameWithoutFolder(path);
  try {
    if (f.Kind == kKindOscillogram)
      ReadOscillogram(f, osc);
    else
      ReadResults(f, rzs);
  } catch (const FileFormatError&) {
    throw;  // its message names the file already
  } catch (const IoError& e) {
    throw FileFormatError("Не удалось прочитать файл «" + path + "»: " + e.what() + ".", e.code());
  }
  return f;
}

std::string PreviewComment(OscReader& r, const std::string& path) {
  const bool ok = r.OpenOscFile(path);
  r.Close();
  return ok ? CommentToUtf8(r.OscHeader) : std::string();
}

}  // namespace kv
