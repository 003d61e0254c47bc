// The results table: title, header, rows of the four trip kinds.
#include <gtest/gtest.h>

#include <string>

#include "common/decimal_format.h"
#include "model/core/dat_mod1.h"
#include "model/core/results.h"

using namespace kv;

namespace {

using Row = std::array<std::string, 4>;

class Results : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemSeparators(".", ",");
    InitResultsGrid(d);
  }
  void TearDown() override { SetSystemSeparators(".", ","); }
  DatMod1 d;
};

}  // namespace

TEST_F(Results, EmptyTableHasTitleHeaderAndThreeRows) {
  EXPECT_EQ(d.results.title, std::string(33, ' ') + "РЕЗУЛЬТАТЫ ОБРАБОТКИ");
  ASSERT_EQ(d.results.cells.size(), 4u);
  EXPECT_EQ(d.results.cells[0], (Row{" Время сраб.(с)", "   Тип ВО", " Параметр", " Значение"}));
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(d.results.cells[r], Row{}) << r;
  EXPECT_EQ(d.results.ResultCol, 0u);
  EXPECT_EQ(d.results.ResultRow, 1u);
}

TEST_F(Results, TheFourRowKinds) {
  d.SampleTime = 1.52;
  d.results.TripTypeText = "   APNU1";
  ReportEventTrip(d);
  d.SampleTime = 2.0;
  d.algo.SlipCount = -2;
  d.results.TripTypeText = " Цикловой 2";
  ReportCycleTrip(d);
  d.SampleTime = 2.5;
  d.algo.Xeck = 0.1234f;
  d.results.TripTypeText = " Угловой 1";
  ReportAngleTrip(d);
  EXPECT_EQ(d.results.cells[1], (Row{" 1.520", "   APNU1", "", ""}));
  EXPECT_EQ(d.results.cells[2], (Row{" 2.000", " Цикловой 2", " Prov", "  -2"}));
  EXPECT_EQ(d.results.cells[3], (Row{" 2.500", " Угловой 1", " Xeck", "  0.123"}));
  EXPECT_EQ(d.results.ResultCol, 0u);
  EXPECT_EQ(d.results.ResultRow, 4u);

  InitResultsGrid(d);  // the next run starts from an empty table
  EXPECT_EQ(d.results.cells.size(), 4u);
  EXPECT_EQ(d.results.cells[1], Row{});
  d.SampleTime = 3.04;
  d.algo.SwingCount = 3;
  d.results.TripTypeText = "ignored";
  ReportCurrentTrip(d);
  d.algo.Xeck = -12.5f;
  d.algo.SlipCount = 3;
  d.results.TripTypeText = " Цикловой 1";
  ReportCycleTrip(d);
  d.results.TripTypeText = " Угловой 2";
  ReportAngleTrip(d);
  EXPECT_EQ(d.results.cells[1], (Row{" 3.040", " Токовый", " Current", "  3"}));
  EXPECT_EQ(d.results.cells[2][3], "  3");
  EXPECT_EQ(d.results.cells[3][3], "  -12.500");
}

TEST_F(Results, RegionalDecimalSeparator) {
  SetSystemSeparators(",", " ");
  d.SampleTime = 1.52;
  d.algo.Xeck = -0.0625f;
  d.results.TripTypeText = " Угловой 2";
  ReportAngleTrip(d);
  EXPECT_EQ(d.results.cells[1][0], " 1,520");
  EXPECT_EQ(d.results.cells[1][3], "  -0,063");  // halves away from zero
}

TEST_F(Results, EveryTripOfARunIsListed) {
  // APNU1 and APNU2 in one sample, then an angle trip, then a cycle trip.
  d.SampleTime = 1.0;
  d.results.TripTypeText = "   APNU1";
  ReportEventTrip(d);
  d.results.TripTypeText = "   APNU2";
  ReportEventTrip(d);
  d.SampleTime = 1.5;
  d.results.TripTypeText = " Угловой 1";
  ReportAngleTrip(d);
  d.SampleTime = 2.0;
  d.algo.SlipCount = 2;
  d.results.TripTypeText = " Цикловой 1";
  ReportCycleTrip(d);
  ASSERT_EQ(d.results.cells.size(), 5u);
  EXPECT_EQ(d.results.cells[1][1], "   APNU1");
  EXPECT_EQ(d.results.cells[2][1], "   APNU2");
  EXPECT_EQ(d.results.cells[3][1], " Угловой 1");
  EXPECT_EQ(d.results.cells[4], (Row{" 2.000", " Цикловой 1", " Prov", "  2"}));
  EXPECT_EQ(d.results.ResultRow, 5u);
}
