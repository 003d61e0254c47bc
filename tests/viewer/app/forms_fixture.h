#pragma once
// The viewer's windows created as at program start, the chart window shown
// at 900 x 600, and freed after each test.
#include <gtest/gtest.h>

#include <QApplication>

#include "viewer/app/graph_mode.h"
#include "viewer/app/vistrel_start.h"

namespace vistrel_test {

inline void EnsureApplication() {
  static int argc = 1;
  static char arg0[] = "vistrel_test";
  static char* argv[] = {arg0, nullptr};
  if (!qApp) new QApplication(argc, argv);
}

class FormsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication(); }
  void SetUp() override {
    MakeForms();
    w->show();
    QApplication::processEvents();
  }
  void TearDown() override { vistrel::DestroyForms(); }

  // The windows created and the chart window sized, not yet shown.
  void MakeForms() {
    vistrel::CreateForms();
    w = FormGraph;
    w->resize(900, 600);
  }

  TFormGraph* w = nullptr;
};

}  // namespace vistrel_test
