// The results table: title, header, rows of the four trip kinds.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "common/decimal_format.h"
#include "model/core/dat_mod1.h"
#include "model/core/results.h"

using namespace kv;

namespace {

using Row = std::array<std::string, 4>;

class Results : public ::testing::Test {
 protected:
  void SetUp() override { InitResultsGrid(d); }
  void TearDown() override { SetSystemSeparators(".", ","); }
  void Trip(void (*report)(DatMod1&), double time, const char* type) {
    d.SampleTime = time;
    d.results.TripTypeText = type;
    report(d);
  }
  DatMod1 d;
};

}  // namespace

TEST_F(Results, EveryTripOfARunIsListedBelowTheHeader) {
  EXPECT_EQ(d.results.title, std::string(33, ' ') + "РЕЗУЛЬТАТЫ ОБРАБОТКИ");
  ASSERT_EQ(d.results.cells.size(), 4u);
  EXPECT_EQ(d.results.cells[0], (Row{" Время сраб.(с)", "   Тип ВО", " Параметр", " Значение"}));
  EXPECT_EQ(d.results.cells[1], Row{});

  SetSystemSeparators(".", ",");
  Trip(ReportEventTrip, 1.52, "   APNU1");
  Trip(ReportEventTrip, 1.52, "   APNU2");
  d.algo.SlipCount = -2;
  Trip(ReportCycleTrip, 2.0, " Цикловой 2");
  d.algo.Xeck = 0.1234f;
  Trip(ReportAngleTrip, 2.5, " Угловой 1");
  d.algo.SwingCount = 3;
  Trip(ReportCurrentTrip, 3.04, "ignored");
  d.algo.Xeck = -12.5f;
  Trip(ReportAngleTrip, 3.1, " Угловой 2");
  const Row want[] = {{" 1.520", "   APNU1", "", ""},         {" 1.520", "   APNU2", "", ""},
                      {" 2.000", " Цикловой 2", " Prov", "  -2"}, {" 2.500", " Угловой 1", " Xeck", "  0.123"},
                      {" 3.040", " Токовый", " Current", "  3"},  {" 3.100", " Угловой 2", " Xeck", "  -12.500"}};
  ASSERT_EQ(d.results.cells.size(), 7u);  // grows beyond the three empty rows
  for (int r = 0; r < 6; ++r) EXPECT_EQ(d.results.cells[r + 1], want[r]) << r;
  EXPECT_EQ(d.results.ResultRow, 7u);
  EXPECT_EQ(d.results.ResultCol, 0u);

  InitResultsGrid(d);  // the next run starts from an empty table
  EXPECT_EQ(d.results.cells.size(), 4u);
  EXPECT_EQ(d.results.cells[1], Row{});
  EXPECT_EQ(d.results.ResultRow, 1u);

  // The system's decimal separator; halves away from zero.
  SetSystemSeparators(",", " ");
  d.algo.Xeck = -0.0625f;
  Trip(ReportAngleTrip, 1.52, " Угловой 2");
  EXPECT_EQ(d.results.cells[1], (Row{" 1,520", " Угловой 2", " Xeck", "  -0,063"}));
}
