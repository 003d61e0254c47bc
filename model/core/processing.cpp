#include "model/core/processing.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <exception>
#include <memory>
#include <vector>
#include <string_view>

#include "common/decimal_format.h"
#include "common/io_error.h"
#include "common/rtl_file.h"
#include "common/tokenizer.h"
#include "common/xfloat.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "model/core/results.h"
#include "model/core/settings.h"
#include "model/core/torvin_1.h"

namespace kv {

namespace {

// Grid step and on-grid tolerance, extended constants as in the arithmetic of the device.
constexpr ext kGridStep = 0.02L;
constexpr ext kOnGrid = 0.0001L;

struct Raw {
  float c[4];  // columns 2..5, unscaled
};

const ext kSqrt3 = std::sqrt(3.0L);

void Scale(const float raw[4], GridPoint& p) {
  p.Uph = StoreF32(raw[0] / kSqrt3, "Uph = column 2 / sqrt 3");
  p.I = raw[1];
  p.Pa = StoreF32(-static_cast<ext>(raw[2]) / 3.0L, "Pa = -column 4 / 3");
  p.Qa = StoreF32(-static_cast<ext>(raw[3]) / 3.0L, "Qa = -column 5 / 3");
}

double NextGrid(double t) { return StoreF64(static_cast<ext>(t) + kGridStep, "grid time"); }

}  // namespace

void ResampleText(std::string_view text, const std::string& name,
                  const std::function<void(const GridPoint&)>& onPoint) {
  NumberTokenizer tok(text, name);

  bool started = false;
  double nextGridTime = 0;
  double prevLineTime = 0;
  Raw prevRaw{};
  std::int64_t points = 0;
  GridPoint p;

  auto emit = [&]() {
    if (points >= kMaxSamples) {
      throw SampleLimitError("Файл обработки " + name + " слишком длинный: больше " + std::to_string(kMaxSamples) +
                             " отсчётов с шагом 0.02 с (предел осциллограммы), обработка остановлена на времени " +
                             FormatFixed(p.SampleTime, 10, 3, ".") + " с");
    }
    ++points;
    onPoint(p);
  };

  // Lines that hold nothing but bytes 0..32 at the end of the file are no data lines.
  while (!tok.atContentEnd()) {
    const char marker = tok.readChar();
    if (marker == '%') {
      tok.skipLine();
      continue;
    }
    const double time = StoreF64(tok.readReal(), "time");
    Raw cur;
    for (float& c : cur.c) c = tok.readF32();
    tok.skipLine();
    p.LineMarker = marker;

    if (!started) {
      started = true;
      prevLineTime = time;
      nextGridTime = NextGrid(time);
      prevRaw = cur;
      p.SampleTime = time;
      Scale(cur.c, p);
      emit();
      continue;
    }

    const ext dist = std::fabs(static_cast<ext>(nextGridTime) - static_cast<ext>(time));
    if (dist < kOnGrid) {
      // On the grid: processed with its own values at its own time.
      prevRaw = cur;
      prevLineTime = time;
      p.SampleTime = time;
      Scale(cur.c, p);
      nextGridTime = NextGrid(nextGridTime);
      emit();
    } else if (dist > kOnGrid && time < nextGridTime) {
      // Between grid points: only the start of the next interpolation.
      prevLineTime = time;
      prevRaw = cur;
    } else if (dist > kOnGrid && time > nextGridTime) {
      // Past one or more grid points: interpolate the unscaled columns.
      const double tA = prevLineTime, tB = time;
      const Raw start = prevRaw;
      prevRaw = cur;
      prevLineTime = tB;
      const ext span = static_cast<ext>(tB) - static_cast<ext>(tA);
      while (nextGridTime <= tB) {
        const ext along = static_cast<ext>(nextGridTime) - static_cast<ext>(tA);
        float v[4];
        for (int k = 0; k < 4; ++k) {
          const ext s = start.c[k];
          v[k] = StoreF32(s + (static_cast<ext>(cur.c[k]) - s) * along / span, "interpolated value");
        }
        Scale(v, p);
        p.SampleTime = nextGridTime;
        nextGridTime = NextGrid(nextGridTime);
        emit();
      }
    }
  }
}

void ProcessGridPoint(DatMod1& d, const GridPoint& p) {
  static_cast<GridPoint&>(d) = p;
  ProcessSample(d);
}

std::string BaseNameOf(const std::string& processingFileName) {
  const std::size_t slash = processingFileName.find_last_of("/\\");
  const std::string own = slash == std::string::npos ? processingFileName : processingFileName.substr(slash + 1);
  const std::size_t dot = own.find('.');
  return dot == std::string::npos ? own : own.substr(0, dot);
}

std::string OpenFailureMessage(int code, const std::string& fileName, int err) {
  switch (code) {
    case kFileNotFound: return "Файл " + fileName + " не найден";
    case kPathNotFound: return "Ошибочное имя файла " + fileName;
    case kTooManyOpenFiles: return "Слишком много открытых файлов";
    case kAccessDenied: return "Файл " + fileName + " не доступен";
    default: break;
  }
  const std::string reason = err != 0 ? std::string(std::strerror(err)) : IoErrorText(code);
  return "Файл " + fileName + " не открыт: " + reason;
}

namespace {

// The processing file's text stays in d.ProcessingText between runs only up
// to this size; a larger one is given back at the end of its run.
constexpr std::size_t kKeptTextBytes = std::size_t{64} << 20;

// The oscillogram's temporary file, created before the samples are
// processed: a folder that does not take it is named at once.
std::unique_ptr<AtomicFile> CreateOscillogram(const std::string& name) {
  try {
    return std::make_unique<AtomicFile>(name);
  } catch (const IoError& e) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(name).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec);
    std::string shown = (ec ? folder : full).lexically_normal().string();
    if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    throw IoError::WithMessage(e.code(), "Нет доступа на запись в папку " + shown + ": осциллограмма " + name +
                                             " не может быть записана");
  }
}

}  // namespace

void RunProcessing(DatMod1& d) {
  // Every run starts from the state of a freshly started program.
  d.ResetForRun();
  InitResultsGrid(d);

  ReadSettings(d);
  DeriveThresholds(d);
  d.algo.FirstSample = true;
  d.SampleCount = 0;

  d.BaseName = BaseNameOf(d.ProcessingFileName);

  std::string& text = d.ProcessingText;
  struct ReleaseLargeText {
    std::string& t;
    ~ReleaseLargeText() {
      if (t.capacity() > kKeptTextBytes) std::string().swap(t);
    }
  } release{text};
  {
    RtlFile pf;
    const int code = pf.tryReset(d.ProcessingFileName);
    if (code != 0) {
      int err = 0;
      if (code < kFileNotFound || code > kAccessDenied) {
        // Open once more only to learn the system's reason for the message.
        errno = 0;
        if (std::FILE* f = std::fopen(d.ProcessingFileName.c_str(), "rb")) std::fclose(f);
        else err = errno;
      }
      d.IoMessage = OpenFailureMessage(code, d.ProcessingFileName, err);
      if (d.ui) d.ui->Warning(d.IoMessage);
      if (d.RunStatus == 1) d.RunStatus = 0;
      return;
    }
    pf.readAllInto(text);
  }  // closed here: the processing file is read once, whole

  // Where the device wrote its temporary record file the run now creates the
  // oscillogram's own temporary file; the records stay in memory.
  const std::unique_ptr<AtomicFile> osc = CreateOscillogram(d.BaseName + ".31");
  d.algo.AuxCurrent = 0;
  // The whole file is resampled first and the points are stepped after it:
  // each loop keeps its own code and data in the caches. The outcome is the
  // same as stepping each point as it comes: the points before a reading
  // error are stepped before that error is raised, and a fault in a step is
  // raised before anything read after its point could matter.
  std::vector<GridPoint>& points = d.GridPoints;
  points.clear();
  std::exception_ptr readError;
  try {
    ResampleText(text, d.ProcessingFileName, [&points](const GridPoint& p) { points.push_back(p); });
  } catch (...) {
    readError = std::current_exception();
  }
  for (const GridPoint& p : points) ProcessGridPoint(d, p);
  if (readError) std::rethrow_exception(readError);
  WriteOscillogramFile(d, *osc);

  if (d.RunStatus == 1) d.RunStatus = 0;
}

}  // namespace kv
