#pragma once
// The viewer state shared by the chart window and the phenomena dialog: one
// record per chart slot, one per type group (vertical axis), and the
// dialog's map of the rows shown on the chart. Everything the chart draws is
// recomputed from here on every paint; nothing else caches it.
//
// Plotted value (what a series stores) and physical value (what the file
// gave) of every point of a slot:
//   plotted = (physical - Offset) / Scale,  physical = plotted * Scale + Offset.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

inline constexpr int kSlotCount = 10;      // chart slots 0..9 = line series 1..10
inline constexpr int kMaxTypeGroups = 5;   // one vertical axis per quantity type

struct TSeriesRec {
  std::string FileName;          // full name of the file the slot's data came from
  std::string Name;              // item text (phenomenon or section name); the series title
  std::uint8_t Index = 0;        // what FillSeries reads: list position + 1, or section + C
  double Scale = 0;              // physical units per plotted unit (= group's Span)
  double Offset = 0;             // physical value plotted at 0 (= group's Base)
  double MinY = 0;               // smallest physical value minus Offset
  double MaxY = 0;               // largest physical value minus Offset
  std::uint8_t TypeCode = 0;     // quantity type code
  std::int32_t TraceIndex = 0;   // trace-cursor point in the series, -1 for none
};

struct TTypeGroupRec {
  double Span = 0;               // a RoundMaximum result, or 0.1
  double Base = 0;               // physical value at plotted 0
  double Min = 0;                // lower limit in plotted units (multiple of 0.1)
  double Max = 0;                // upper limit in plotted units (multiple of 0.1)
  std::uint8_t TypeCode = 0;     // unique among the groups in use
  std::string Caption;           // "name,unit", editable by the titles dialog
  std::vector<std::uint8_t> Slots;  // chart slots in order of joining; never empty in use
};

// One instance lives as long as the chart window; the dialogs get a reference.
// Free slots and unused group entries keep stale contents: a slot is in use
// exactly when its series is active, a group when its index is below
// TypeGroupCount.
struct GraphState {
  std::array<TSeriesRec, kSlotCount> SeriesRecs{};
  std::array<TTypeGroupRec, kMaxTypeGroups> TypeGroups{};
  std::uint8_t TypeGroupCount = 0;  // groups in use, 0..5

  // Rows of the dialog's grid, in order of adding: row r shows slot
  // FSlotOfRow[r]; rows 0..FShownRows-1 are filled, no gaps.
  std::array<std::uint8_t, kSlotCount> FSlotOfRow{};
  std::int32_t FShownRows = 0;  // phenomena on the chart, 0..10
};

}  // namespace kv
