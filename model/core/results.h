#pragma once
// The results table: rows of four texts kept without any window, so a test
// reads a run's trips directly and the window only shows them.
#include <array>
#include <string>
#include <vector>

namespace kv {

struct ResultsTable {
  std::string title;                              // caption of L1
  std::vector<std::array<std::string, 4>> cells;  // row 0 is the header; at least 3 trip rows
  unsigned ResultCol = 0;                         // cursor: the cell the next text goes to
  unsigned ResultRow = 0;
  std::string TripTypeText;                       // set by a criterion before its row
};

// Rows of the table the window shows before any trip: the header and three.
inline constexpr unsigned kResultsGridRows = 4;

struct DatMod1;
void InitResultsGrid(DatMod1& d);
// Each writes one row at the cursor and moves it to column 0 of the next row;
// the table grows past its three trip rows, so every trip of a run is listed.
void ReportCurrentTrip(DatMod1& d);
void ReportAngleTrip(DatMod1& d);
void ReportCycleTrip(DatMod1& d);
void ReportEventTrip(DatMod1& d);

}  // namespace kv
