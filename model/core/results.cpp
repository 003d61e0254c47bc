#include "model/core/results.h"

#include <string>

#include "common/decimal_format.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {

// Time and Xeck: fixed notation, precision 10, three decimals, the user's separator.
std::string Fixed3(long double v) { return FormatFixed(v, 10, 3, SystemDecimalSeparator()); }

void Put(ResultsTable& t, const std::string& text) {
  while (t.cells.size() <= t.ResultRow) t.cells.emplace_back();
  t.cells[t.ResultRow][t.ResultCol] = text;
}

// Writes the given cells from column 0 on and moves the cursor to the next row.
void WriteRow(DatMod1& d, std::initializer_list<std::string> cells) {
  ResultsTable& t = d.results;
  t.ResultCol = 0;
  bool first = true;
  for (const std::string& c : cells) {
    if (!first) ++t.ResultCol;
    first = false;
    Put(t, c);
  }
  t.ResultCol = 0;
  ++t.ResultRow;
}

std::string TimeCell(const DatMod1& d) { return " " + Fixed3(d.SampleTime); }

}  // namespace

void InitResultsGrid(DatMod1& d) {
  ResultsTable& t = d.results;
  t.title = std::string(33, ' ') + "РЕЗУЛЬТАТЫ ОБРАБОТКИ";
  t.cells.assign(kResultsGridRows, {});
  t.cells[0] = {" Время сраб.(с)", "   Тип ВО", " Параметр", " Значение"};
  t.ResultCol = 0;
  t.ResultRow = 1;
}

void ReportCurrentTrip(DatMod1& d) {
  WriteRow(d, {TimeCell(d), " Токовый", " Current", "  " + std::to_string(d.algo.SwingCount)});
}

void ReportAngleTrip(DatMod1& d) {
  WriteRow(d, {TimeCell(d), d.results.TripTypeText, " Xeck", "  " + Fixed3(d.algo.Xeck)});
}

void ReportCycleTrip(DatMod1& d) {
  WriteRow(d, {TimeCell(d), d.results.TripTypeText, " Prov", "  " + std::to_string(d.algo.SlipCount)});
}

void ReportEventTrip(DatMod1& d) { WriteRow(d, {TimeCell(d), d.results.TripTypeText}); }

}  // namespace kv
