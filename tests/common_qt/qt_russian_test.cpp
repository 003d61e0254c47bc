// Qt's own dialogs speak Russian once the catalogue is installed; setup
// installs it, so a missing catalogue is a failure, not a skip.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "common_qt/qt_russian.h"

TEST(QtRussian, DialogsAndStandardButtonsReadInRussian) {
  int argc = 1;
  char name[] = "qt_russian_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:") << "English before";

  QString why;
  ASSERT_TRUE(kv::InstallQtRussian(app, &why)) << why.toStdString();
  const std::pair<const char*, const char*> texts[] = {
      {"QFileDialog", "Look in:"}, {"QFileDialog", "Files of type:"}, {"QPrintPreviewDialog", "Print Preview"},
      {"QPrintDialog", "Print"}};
  for (const auto& [context, text] : texts) {
    const QString ru = QCoreApplication::translate(context, text);
    EXPECT_TRUE(std::any_of(ru.begin(), ru.end(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; }))
        << context << ": " << ru.toStdString();
  }
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(dialog.labelText(QFileDialog::Reject), QStringLiteral("Отмена"));
}
