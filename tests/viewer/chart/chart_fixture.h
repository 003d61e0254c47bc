#pragma once
// The chart is a widget: its tests need one QApplication (offscreen).
#include <QApplication>

namespace kv::test {

inline void EnsureApplication() {
  if (qApp) return;
  static int argc = 1;
  static char arg0[] = "chart_test";
  static char* argv[] = {arg0, nullptr};
  new QApplication(argc, argv);
}

}  // namespace kv::test
