#include "viewer/core/read_osc.h"

#include <cmath>
#include <span>
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

  const double step = osc.OscHeader.step;
  if (index <= c) {
    const std::span<const float> channel = osc.ChannelSamples(index);
    for (unsigned i = 0; i < n; ++i) {
      float v = channel[i];
      ZeroIfNotNumber(v);
      series.AddXY(static_cast<double>(i) * step, v);
    }
    return;
  }
  // A section sums its channels: descriptor j carries stored channel k when
  // it is the k-th descriptor with a nonzero stored word (the open checked
  // that there are exactly C of them).
  std::vector<std::span<const float>> parts;
  const osc31::TOscSection& s = osc.OscSections[index - c - 1];
  unsigned k = 0;
  for (unsigned j = 0; j < osc31::kMaxChannels; ++j) {
    if (osc.OscChannels[j].stored == 0) continue;
    ++k;
    if (s.include[j] == 1) parts.push_back(osc.ChannelSamples(k));
  }
  for (unsigned i = 0; i < n; ++i) {
    double sum = 0;
    for (std::span<const float> part : parts) {
      float v = part[i];
      ZeroIfNotNumber(v);
      sum += v;
    }
    series.AddXY(static_cast<double>(i) * step, sum);
  }
}

void FillFromResults(PointSink& series, std::uint8_t index, RzsReader& rzs) {
  CloseOnExit<RzsReader> guard{rzs};
  rzs.ReadRzsHeader();  // refuses a file without every row it announces
  if (index == 0 || index > rzs.RzsGroupCount) NoSuchPhenomenon(rzs.AssignedName(), index);
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
