#include "viewer/core/rzd.h"

#include <algorithm>
#include <bit>

#include "common/io_error.h"
#include "common/osc31.h"
#include "common/rtl_file.h"
#include "viewer/core/file_error.h"

namespace kv {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& problem, int code = kBadFileFormat) {
  throw FileFormatError("Файл «" + path + "» не является файлом результатов расчёта или повреждён: " + problem + ".",
                        code);
}

std::int32_t ReadI32(RtlFile& f) {
  std::uint8_t b[4];
  f.blockRead(b, sizeof b);
  return static_cast<std::int32_t>(osc31::GetU32(b));
}

std::uint16_t ReadU16(RtlFile& f) {
  std::uint8_t b[2];
  f.blockRead(b, sizeof b);
  return osc31::GetU16(b);
}

template <class Header>
void ParseHeader(RtlFile& f, const std::string& path, Header& h) {
  h.cols = ReadI32(f);
  h.rows = ReadI32(f);
  h.groups = ReadI32(f);
  if (h.cols < 1 || h.cols > kRzsMaxColumns)
    Refuse(path, "число столбцов " + std::to_string(h.cols) + ", допустимо от 1 до " + std::to_string(kRzsMaxColumns));
  if (h.rows < 0) Refuse(path, "число строк " + std::to_string(h.rows) + " отрицательно");
  if (h.groups < 0 || h.groups > h.cols - 1)
    Refuse(path, "число явлений " + std::to_string(h.groups) + " при " + std::to_string(h.cols) +
                     " столбцах, допустимо от 0 до " + std::to_string(h.cols - 1));

  for (int g = 0; g < h.groups; ++g) {
    std::int32_t k = ReadI32(f);
    std::uint8_t skip[2];
    f.blockRead(skip, sizeof skip);
    if (k < 0 || k > kRzsMaxGroupRecords)
      Refuse(path, "у явления " + std::to_string(g + 1) + " число записей " + std::to_string(k) +
                       ", допустимо от 0 до " + std::to_string(kRzsMaxGroupRecords));
    // The last record is the group's; a group of no record has type code 0.
    RzsGroupRecord rec{};
    for (int r = 0; r < k; ++r) f.blockRead(rec.data(), rec.size());
    h.groupRecs[static_cast<std::size_t>(g)] = rec;
  }

  for (int j = 0; j < h.cols; ++j) {
    std::uint8_t skip[4];
    f.blockRead(skip, sizeof skip);
  }

  h.lines = ReadU16(f);
  if (h.lines > kRzsMaxLines)
    Refuse(path, "число строк подписи " + std::to_string(h.lines) + ", допустимо не более " + std::to_string(kRzsMaxLines));
  for (int j = 0; j < h.cols; ++j) {
    std::uint16_t len = ReadU16(f);
    if (len > kRzsMaxTextLength)
      Refuse(path, "подпись столбца " + std::to_string(j + 1) + " длиной " + std::to_string(len) +
                       " байт, допустимо не более " + std::to_string(kRzsMaxTextLength));
    h.lengths[static_cast<std::size_t>(j)] = len;
  }

  char text[kRzsMaxTextLength];
  for (int i = 0; i < h.lines; ++i) {
    for (int j = 0; j < h.cols; ++j) {
      std::size_t len = h.lengths[static_cast<std::size_t>(j)];
      f.blockRead(text, len);
      // Kept verbatim, NULs and trailing blanks included; the dialog trims.
      h.names[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)].assign(text, len);
    }
  }
}

}  // namespace

void RzsReader::TakeCopy() {
  RtlFile f;
  f.reset(assigned_);
  Copy c;
  ParseHeader(f, assigned_, c);  // throws; `f` closes itself and nothing is kept
  // Every row the header announces must be in the file, so that a fill
  // never stops half-way through a file that was accepted.
  const std::int64_t size = f.size();
  const std::int64_t fit = (size - f.position()) / (4 * std::int64_t{c.cols});
  if (c.rows > fit)
    Refuse(assigned_, "в заголовке указано строк: " + std::to_string(c.rows) + ", а в файле их помещается " +
                          std::to_string(fit), kReadBeyondEof);
  const std::size_t count = static_cast<std::size_t>(c.rows) * static_cast<std::size_t>(c.cols);
  c.values.resize(count);
  if (count > 0) f.blockRead(c.values.data(), 4 * count);  // little-endian floats, straight into place
  if constexpr (std::endian::native != std::endian::little) {
    for (float& v : c.values) v = osc31::GetF32(reinterpret_cast<const std::uint8_t*>(&v));
  }
  c.taken = true;
  copy_ = std::move(c);
}

void RzsReader::ReadRzsHeader() {
  Close();
  if (!copy_.taken) TakeCopy();
  RzsColCount = copy_.cols;
  RzsRowCount = copy_.rows;
  RzsGroupCount = copy_.groups;
  RzsGroups = copy_.groupRecs;
  RzsLineCount = copy_.lines;
  RzsTextLengths = copy_.lengths;
  RzsNames = copy_.names;
  RzsRowIndex = 0;
  open_ = true;
}

int RzsReader::ReadRzsRow() {
  if (!open_) throw IoError(kFileNotOpen, assigned_);
  if (RzsRowIndex >= RzsRowCount) return -1;
  const auto n = static_cast<std::size_t>(RzsColCount);
  const float* row = copy_.values.data() + static_cast<std::size_t>(RzsRowIndex) * n;
  std::copy_n(row, n, RzsRow.begin());
  ++RzsRowIndex;
  return 0;
}

}  // namespace kv
