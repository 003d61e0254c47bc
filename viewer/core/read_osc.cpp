#include "viewer/core/read_osc.h"

#include <cmath>
#include <vector>

#include "common/io_error.h"
#include "viewer/core/file_error.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"

namespace kv {

namespace {

// Closes a reader's file however the filling ends.
template <class Reader>
struct CloseOnExit {
  Reader& r;
  ~CloseOnExit() {
    try {
      r.Close();
    } catch (const IoError&) {
    }
  }
};

[[noreturn]] void NoSuchPhenomenon(const std::string& path, unsigned index) {
  throw FileFormatError("В файле «" + path + "» нет явления номер " + std::to_string(index) +
                        "; откройте файл заново в окне «Добавить/Удалить явления».");
}

void FillFromOscillogram(PointSink& series, std::uint8_t index, OscReader& osc) {
  CloseOnExit<OscReader> guard{osc};
  if (!osc.ReadOscHeader()) throw FileFormatError(osc.LastError(), osc.LastErrorCode());
  const unsigned c = osc.C();
  const unsigned n = osc.N();
  if (index == 0 || index > c + osc31::kSectionCount) NoSuchPhenomenon(osc.FileName(), index);

  // Positions (0-based) among the stored channels of the section's channels:
  // descriptor j carries stored channel c when it is the c-th descriptor with
  // a nonzero stored word.
  std::vector<unsigned> parts;
  if (index > c) {
    const osc31::TOscSection& s = osc.OscSections[index - c - 1];
    unsigned pos = 0;
    for (unsigned j = 0; j < osc31::kMaxChannels; ++j) {
      if (osc.OscChannels[j].stored == 0) continue;
      ++pos;
      // A descriptor beyond the C stored channels has no samples in the file.
      if (s.include[j] == 1 && pos <= c) parts.push_back(pos - 1);
    }
  }

  const double step = osc.OscHeader.step;
  osc.RewindOscData();
  for (unsigned i = 1; i <= n; ++i) {
    osc.NextOscSample();
    double x = static_cast<double>(i - 1) * step;
    double y;
    if (index <= c) {
      float& v = osc.OscCurValues[index - 1];
      ZeroIfNotNumber(v);
      y = v;
    } else {
      y = 0;
      for (unsigned p : parts) {
        float& v = osc.OscCurValues[p];
        ZeroIfNotNumber(v);
        y += v;
      }
    }
    series.AddXY(x, y);
  }
}

void FillFromResults(PointSink& series, std::uint8_t index, RzsReader& rzs) {
  CloseOnExit<RzsReader> guard{rzs};
  rzs.ReadRzsHeader();
  if (index == 0 || index > rzs.RzsGroupCount) NoSuchPhenomenon(rzs.AssignedName(), index);
  // Every row must be there before the first point goes to the series.
  const std::int64_t rowBytes = 4 * static_cast<std::int64_t>(rzs.RzsColCount);
  const std::int64_t have = (rzs.FileSize() - rzs.RowsOffset()) / rowBytes;
  if (have < rzs.RzsRowCount)
    throw FileFormatError(IoErrorText(kReadBeyondEof) + ": в файле «" + rzs.AssignedName() + "» " +
                              std::to_string(have) + " строк из " + std::to_string(rzs.RzsRowCount) +
                              ", указанных в заголовке.",
                          kReadBeyondEof);
  for (std::int64_t i = 0; i < rzs.RzsRowCount; ++i) {
    rzs.ReadRzsRow();
    series.AddXY(rzs.RzsRow[0], rzs.RzsRow[index]);
  }
}

}  // namespace

void ZeroIfNotNumber(float& X) {
  if (!std::isfinite(X)) X = 0;
}

void FillSeries(int Kind, PointSink& Series, std::uint8_t Index, OscReader& osc, RzsReader& rzs) {
  if (Kind == kKindOscillogram)
    FillFromOscillogram(Series, Index, osc);
  else
    FillFromResults(Series, Index, rzs);
}

}  // namespace kv
