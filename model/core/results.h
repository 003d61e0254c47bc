#pragma once
// The results table: rows of four texts kept without any window, so a test
// reads a run's trips directly and the window only shows them.
#include <array>
#include <string>
#include <vector>

namespace kv {

struct ResultsTable {
  std::string title;                               // caption of L1
  std::vector<std::array<std::string, 4>> cells;   // row 0 is the header
  unsigned ResultCol = 0;
  unsigned ResultRow = 0;
  std::string TripTypeText;
};

struct DatMod1;
void InitResultsGrid(DatMod1& d);
void ReportCurrentTrip(DatMod1& d);
void ReportAngleTrip(DatMod1& d);
void ReportCycleTrip(DatMod1& d);
void ReportEventTrip(DatMod1& d);

}  // namespace kv
