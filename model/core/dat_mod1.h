#pragma once
// All of the model's state in one place. Procedures take the state by
// reference instead of reading globals, so tests can run several models.
#include <cstdint>
#include <string>
#include <vector>

#include "model/core/grid_point.h"
#include "model/core/results.h"
#include "model/core/sample_store.h"
#include "model/core/settings.h"
#include "model/core/torvin_state.h"

namespace kv {

// What the core asks of the window during a run (a warning box with one OK).
class ModelUi {
 public:
  virtual ~ModelUi() = default;
  virtual void Warning(const std::string& textUtf8) = 0;
};

// The grid point being processed is the state's own base: SampleTime, Uph,
// I, Pa, Qa and LineMarker.
struct DatMod1 : GridPoint {
  // Window state.
  bool SettingsOpened = false;
  bool ProcessingOpened = false;
  std::uint8_t LastOpened = 0;
  std::uint8_t RunStatus = 0;
  std::string SettingsFileName;
  std::string ProcessingFileName;
  std::string ShortFileName;
  std::string SavedDir;
  std::string IoMessage;
  std::string BaseName;

  std::int64_t SampleCount = 0;  // sample records of this run

  TSettings settings;
  TThresholds thr;
  AlgoState algo;
  ResultsTable results;

  // The run's sample records, in memory instead of a temporary "ema.tip":
  // the oscillogram is written from them at the end of the run.
  SampleStore Records;
  // The processing file's text during a run; its storage is kept for the
  // next run unless it is large.
  std::string ProcessingText;
  std::vector<GridPoint> GridPoints;  // the run's grid points, storage kept likewise
  ModelUi* ui = nullptr;

  // Everything a run reads or writes back to the state of a freshly started
  // program, so the same files always give the same result. Window state
  // (file names, flags, RunStatus) is the window's and stays.
  void ResetForRun() {
    IoMessage.clear();
    BaseName.clear();
    static_cast<GridPoint&>(*this) = GridPoint{};
    SampleCount = 0;
    settings = TSettings{};
    thr = TThresholds{};
    algo = AlgoState{};
    results = ResultsTable{};
    Records.clear();
  }
};

}  // namespace kv
