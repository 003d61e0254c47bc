#include "model/core/results.h"

#include "model/core/dat_mod1.h"

namespace kv {
void InitResultsGrid(DatMod1& d) { d.results = ResultsTable{}; }
void ReportCurrentTrip(DatMod1&) {}
void ReportAngleTrip(DatMod1&) {}
void ReportCycleTrip(DatMod1&) {}
void ReportEventTrip(DatMod1&) {}
}  // namespace kv
