// The phenomena dialog as a user drives it: opening Kelvotin's oscillogram
// and a result file through a scripted open dialog, the comment window while
// browsing, ticking, adding, deleting and the two limits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "viewer/app/chang_axis_new.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/inf_osc.h"
#include "viewer/app/vistrel_start.h"
#include "viewer/core/osc_test_files.h"

namespace {

namespace fs = std::filesystem;

int argc_ = 1;
char arg0_[] = "chang_axis_new_test";
char* argv_[] = {arg0_, nullptr};

// The open dialog replaced by a script of what the user does while it is up.
struct ScriptedOpenDialog : TOpenDialog {
  bool Execute(QWidget*) override {
    if (OnShow) OnShow();
    const bool ok = script ? script(*this) : false;
    if (OnClose) OnClose();
    return ok;
  }
  QRect WindowRect() const override { return {200, 100, 500, 300}; }
  void SetFileName(const QString& name) override { FileName = name; }
  void Select(const std::string& path) {
    FileName = QString::fromStdString(path);
    OnSelectionChange();
  }
  void Type(int index) {
    FilterIndex = index;
    OnTypeChange();
  }
  std::function<bool(ScriptedOpenDialog&)> script;
};

// Kelvotin's run over the shipped asynchronous example, in `dir`.
std::string KelvotinOscillogram(const kvtest::TempDir& dir) {
  const fs::path old = fs::current_path();
  for (const char* name : {"ust.txt", "async.txt", "parl"})
    fs::copy_file(fs::path(KV_SOURCE_DIR) / "examples" / name, dir.file(name));
  fs::current_path(dir.path);
  kv::DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "async.txt";
  d.RunStatus = 1;
  kv::RunProcessing(d);
  fs::current_path(old);
  return dir.file("async.31");
}

// A ".31" of `types.size()` channels named "К1".. with these type codes and
// the comment `comment`.
std::string HandOsc(const kvtest::TempDir& dir, const std::string& name, const std::vector<std::uint8_t>& types,
                    const std::string& comment = "") {
  kv::osc31::TOscParameterBlock p = kvtest::MakeParameterBlock(static_cast<unsigned>(types.size()));
  for (std::size_t j = 0; j < types.size(); ++j) {
    p.channels[j].typeCode = types[j];
    kv::osc31::SetOemText(p.channels[j].name, "К" + std::to_string(j + 1), 16);
  }
  std::string bytes = kvtest::BuildOsc(4, static_cast<unsigned>(types.size()), p);
  kv::osc31::TOscHeader h;
  kv::osc31::DecodeHeader(kv::osc31::AsBytes(bytes), h);
  kv::osc31::SetOemText(h.CommentText, comment, 63);
  bytes.replace(0, kv::osc31::kHeaderSize, kv::osc31::EncodeHeader(h));
  kvtest::WriteBytes(dir.file(name), bytes);
  return dir.file(name);
}

class AxisDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!qApp) new QApplication(argc_, argv_);
  }
  void SetUp() override {
    vistrel::CreateForms();
    a = FormAxis;
    auto open = std::make_unique<ScriptedOpenDialog>();
    open_ = open.get();
    a->OpenDialog1 = std::move(open);
    a->ShowMessage = [this](const QString& m) { messages << m; };
    FormGraph->AddDelSBtn->click();
  }
  void TearDown() override { vistrel::DestroyForms(); }

  // Opens `path` through "Открыть осциллограмму" with this filter.
  void Open(const std::string& path, int filter = 1) {
    open_->script = [path, filter](ScriptedOpenDialog& d) {
      if (d.FilterIndex != filter) d.Type(filter);
      d.Select(path);
      return true;
    };
    a->ChangFile->click();
  }
  void Tick(QListWidget* l, std::initializer_list<int> rows) {
    for (int r : rows) l->item(r)->setCheckState(Qt::Checked);
  }
  QStringList Texts(QListWidget* l) const {
    QStringList t;
    for (int i = 0; i < l->count(); ++i) t << l->item(i)->text();
    return t;
  }
  QString Cell(int row, int col) const { return a->ListLeftAxis->item(row, col)->text(); }

  kvtest::TempDir dir;
  TFormAxis* a = nullptr;
  ScriptedOpenDialog* open_ = nullptr;
  QStringList messages;
};

TEST_F(AxisDialog, TheToolbarButtonShowsTheDialogModeless) {
  EXPECT_TRUE(a->isVisible());
  EXPECT_FALSE(a->isModal());
  EXPECT_EQ(a->windowTitle(), QStringLiteral("Добавить/Удалить явления"));
  for (QPushButton* b : {a->AddFactor, a->AddAllFactor, a->DeleteFactor, a->DeleteAll}) EXPECT_FALSE(b->isEnabled());
  for (const char* name : {"ChangFile", "StatusBar1", "FileNameLabel", "Memo1", "TimeOsc", "TimeOpr", "CountPoints",
                           "FactorList", "ListOfSum", "ListLeftAxis", "PageControl1", "PageControl2", "ButtonOK"})
    EXPECT_NE(a->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(Cell(9, 0), "10");

  // The grid as designed, in the dialog's colour; the user sizes a column
  // by dragging its grid line, and the grid grows to keep it in view.
  QTableWidget* grid = a->ListLeftAxis;
  EXPECT_EQ(grid->width(), 193);
  EXPECT_EQ(std::vector<int>({grid->columnWidth(0), grid->columnWidth(1), grid->columnWidth(2)}),
            std::vector<int>({25, 64, 98}));
  const QRect empty = grid->visualRect(grid->model()->index(9, 2));
  EXPECT_EQ(grid->viewport()->grab().toImage().pixelColor(empty.center()).name().toStdString(),
            a->palette().color(QPalette::Window).name().toStdString());
  const int line = grid->columnViewportPosition(1) + grid->columnWidth(1) - 1;
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(line, 5));
  QTest::mouseMove(grid->viewport(), QPoint(line + 40, 5));
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(line + 40, 5));
  EXPECT_EQ(grid->columnWidth(1), 64 + 40);
  EXPECT_GE(grid->viewport()->width(), 25 + 104 + 98);
  a->ButtonOK->click();
  EXPECT_FALSE(a->isVisible());
}

TEST_F(AxisDialog, KelvotinsOscillogramOpensAndItsPhenomenaAreDrawnOneScalePerType) {
  const std::string path = KelvotinOscillogram(dir);
  Open(path);
  EXPECT_EQ(a->FactorList->count(), 16);
  EXPECT_EQ(a->FactorList->item(0)->text(), QStringLiteral("Ток I"));
  EXPECT_EQ(Texts(a->ListOfSum), (QStringList{"Угловые", "Цикловые", "АПНУ", "Все отключения"}));
  EXPECT_EQ(a->TimeOsc->text(), QStringLiteral("8 сек."));
  EXPECT_EQ(a->TimeOpr->text(), QStringLiteral("0.02 сек."));
  EXPECT_EQ(a->CountPoints->text(), "401");
  EXPECT_EQ(a->FileNameLabel->text(), "async.31");
  EXPECT_TRUE(a->Memo1->toPlainText().isEmpty());
  EXPECT_EQ(a->StatusPanels[1]->text(), QString::fromStdString(path));
  EXPECT_EQ(FormGraph->windowTitle(), QString::fromStdString(path));
  EXPECT_TRUE(a->AddFactor->isEnabled());

  // I, U, P and the voltage at the Xeck point: three quantity types.
  Tick(a->FactorList, {0, 1, 2, 11});
  a->AddFactor->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  const kv::GraphState& g = FormGraph->Graph;
  EXPECT_EQ(g.FShownRows, 4);
  EXPECT_EQ(g.TypeGroupCount, 3);
  EXPECT_EQ(g.TypeGroups[1].Caption, "U,кВ");
  EXPECT_EQ(g.TypeGroups[1].Slots, (std::vector<std::uint8_t>{1, 3}));
  EXPECT_EQ(Cell(3, 1), QStringLiteral("U в точке Xэк"));
  EXPECT_EQ(Cell(3, 2), QStringLiteral("Файл: async.31"));
  // Every text of the grid whole in its column, every column in view, and
  // rows of the pick lists that hold their check boxes.
  const QTableWidget* grid = a->ListLeftAxis;
  const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
  int columns = 0;
  for (int c = 0; c < 3; ++c) {
    columns += grid->columnWidth(c);
    for (int r = 0; r < 4; ++r)
      EXPECT_LE(grid->fontMetrics().horizontalAdvance(Cell(r, c)) + margins, grid->columnWidth(c)) << r << c;
  }
  EXPECT_LE(columns, grid->viewport()->width());
  for (QListWidget* l : {a->FactorList, a->ListOfSum})
    EXPECT_GE(l->visualItemRect(l->item(0)).height(), l->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, l) + 2);
  for (int q = 0; q < 4; ++q) {
    EXPECT_TRUE(FormGraph->Series[q]->Active()) << q;
    EXPECT_EQ(FormGraph->Series[q]->PointCount(), 401) << q;
    EXPECT_LE(std::fabs(FormGraph->Series[q]->SeriesMaxY()), 1.0) << q;
  }
  EXPECT_EQ(FormGraph->Chart1->MarginLeft(), 18);
  EXPECT_FALSE(FormGraph->Chart1->LeftAxis().Automatic());
  EXPECT_EQ(a->FactorList->item(1)->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(a->FactorList->item(1)->flags() & Qt::ItemIsEnabled);
  EXPECT_TRUE(a->DeleteFactor->isEnabled());
  EXPECT_TRUE(FormGraph->PageSBtn->isEnabled());

  // A section, from the other page.
  a->PageControl2->setCurrentIndex(1);
  Tick(a->ListOfSum, {3});
  a->AddFactor->click();
  EXPECT_EQ(g.FShownRows, 5);
  EXPECT_EQ(g.SeriesRecs[4].Index, 16 + 4);
}

TEST_F(AxisDialog, AResultFileIsListedFromItsColumnTexts) {
  kvtest::RzsBuilder b;
  b.put(3).put(2).put(2).group({7, 1}).group({3});
  b.bytes += std::string(12, '\0');
  b.put(std::uint16_t{2}).put(std::uint16_t{1}).put(std::uint16_t{4}).put(std::uint16_t{4});
  b.bytes += std::string("t") + "Pg  " + "Us  " + "c" + "MW  " + "kV  ";
  for (int r = 0; r < 2; ++r) b.put(0.01f * static_cast<float>(r)).put(50.f * static_cast<float>(r)).put(110.f);
  kvtest::WriteBytes(dir.file("calc.rzs"), b.bytes);
  Open(dir.file("calc.rzs"), 2);
  EXPECT_FALSE(Form1->isVisible());
  EXPECT_EQ(Texts(a->FactorList), (QStringList{"Pg MW ", "Us kV "}));
  EXPECT_EQ(a->ListOfSum->count(), 0);
  EXPECT_EQ(a->TimeOpr->text(), QStringLiteral("0.01 сек."));
  EXPECT_EQ(a->CountPoints->text(), "2");
  a->AddAllFactor->click();
  const kv::GraphState& g = FormGraph->Graph;
  ASSERT_EQ(g.TypeGroupCount, 2);
  EXPECT_EQ(g.TypeGroups[0].Caption, "P,MW");
  EXPECT_EQ(g.TypeGroups[1].Caption, "U,kV");
  EXPECT_EQ(Cell(0, 2), QStringLiteral("Файл: calc.rzs"));
}

TEST_F(AxisDialog, BothLimitsAreRefusedWithTheirMessages) {
  std::vector<std::uint8_t> types(16);
  for (std::size_t j = 0; j < types.size(); ++j) types[j] = static_cast<std::uint8_t>(1 + j % 5);
  Open(HandOsc(dir, "many.31", types));
  // The selection goes through the items: each message stands at its item,
  // with the rows added before it shown.
  QStringList seen;
  a->ShowMessage = [&](const QString& m) {
    messages << m;
    seen << QString::number(a->FactorList->currentRow()) + " " + Cell(9, 1);
  };
  a->AddAllFactor->click();
  EXPECT_EQ(FormGraph->Graph.FShownRows, 10);
  EXPECT_EQ(messages, QStringList(6, QStringLiteral("Можно отобразить только 10 явлений.")));
  EXPECT_EQ(seen, (QStringList{"10 К10", "11 К10", "12 К10", "13 К10", "14 К10", "15 К10"}));
  EXPECT_EQ(a->FactorList->currentRow(), 15);
  EXPECT_EQ(a->FactorList->item(12)->checkState(), Qt::Unchecked);

  // Room for one more phenomenon, but not for a sixth type.
  a->ListLeftAxis->setCurrentCell(9, 1);
  a->DeleteFactor->click();
  messages.clear();
  Open(HandOsc(dir, "six.31", {6, 1}));
  Tick(a->FactorList, {0});
  EXPECT_EQ(messages, QStringList{QStringLiteral("Можно отобразить только 5 типов явлений.")});
  EXPECT_EQ(a->FactorList->item(0)->checkState(), Qt::Unchecked);
  Tick(a->FactorList, {1});
  a->AddFactor->click();
  EXPECT_EQ(FormGraph->Graph.FShownRows, 10);
}

TEST_F(AxisDialog, DeletingARangeOfRowsAndEverything) {
  Open(HandOsc(dir, "four.31", {3, 3, 1, 5}));
  for (int i = 0; i < 4; ++i) {
    Tick(a->FactorList, {i});
    a->AddFactor->click();
  }
  a->ListLeftAxis->setCurrentCell(1, 1);
  a->ListLeftAxis->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 2), true);
  a->DeleteFactor->click();
  EXPECT_EQ(Cell(0, 1), QStringLiteral("К1"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("К4"));
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(2, 0), "3");
  EXPECT_EQ(a->FactorList->item(1)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(a->FactorList->item(1)->flags() & Qt::ItemIsEnabled);
  EXPECT_EQ(a->FactorList->currentRow(), 2);  // the last item released
  EXPECT_FALSE(FormGraph->Series[1]->Active());

  a->DeleteAll->click();
  EXPECT_EQ(FormGraph->Graph.FShownRows, 0);
  EXPECT_FALSE(a->DeleteFactor->isEnabled());
  EXPECT_FALSE(a->DeleteAll->isEnabled());
  EXPECT_FALSE(FormGraph->PageSBtn->isEnabled());
  EXPECT_EQ(FormGraph->Chart1->MarginLeft(), 3);
}

TEST_F(AxisDialog, TheCommentWindowFollowsTheSelectionAndCancellingChangesNothing) {
  const std::string first = HandOsc(dir, "first.31", {3}, "Первый опыт");
  const std::string second = HandOsc(dir, "second.31", {1, 1}, "Второй опыт");
  Open(first);
  EXPECT_FALSE(Form1->isVisible());

  std::vector<QString> seen;
  open_->script = [&](ScriptedOpenDialog& d) {
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Form1->frameGeometry().width(), 426);
    EXPECT_EQ(Form1->geometry().height(), 45);
    EXPECT_EQ(Form1->frameGeometry().left(), 197);
    d.Select(second);
    seen.push_back(Form1->Memo1->toPlainText());
    seen.push_back(Form1->windowTitle());
    d.Select(first);
    seen.push_back(Form1->Memo1->toPlainText());
    d.Type(2);
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_TRUE(d.FileName.isEmpty());
    d.Type(1);
    EXPECT_TRUE(Form1->isVisible());
    d.Select(second);
    return false;  // cancelled
  };
  a->ChangFile->click();
  EXPECT_EQ(seen, (std::vector<QString>{QStringLiteral("Второй опыт"), QStringLiteral("Комментарий к осциллограмме second.31"),
                                        QStringLiteral("Первый опыт")}));
  EXPECT_FALSE(Form1->isVisible());

  // Still the first file: its read-outs, lists and data.
  EXPECT_EQ(a->FileNameLabel->text(), "first.31");
  EXPECT_EQ(a->Memo1->toPlainText(), QStringLiteral("Первый опыт"));
  EXPECT_EQ(a->FactorList->count(), 1);
  EXPECT_EQ(FormGraph->windowTitle(), QString::fromStdString(first));
  Tick(a->FactorList, {0});
  a->AddFactor->click();
  EXPECT_EQ(FormGraph->Graph.SeriesRecs[0].FileName, first);
  EXPECT_EQ(FormGraph->Graph.TypeGroups[0].TypeCode, 3);
}

// Qt's own dialog: its name box starts with the pattern, takes a selected
// name, and is emptied by the switch to result files, so that "Открыть"
// cannot read an oscillogram as a result file.
TEST_F(AxisDialog, TheRealOpenDialogsNameBox) {
  const std::string first = HandOsc(dir, "first.31", {3});
  Open(first);
  const std::string second = HandOsc(dir, "second.31", {1, 1});
  a->OpenDialog1 = std::make_unique<QtOpenDialog>();
  QStringList seen;
  QTimer::singleShot(0, a, [&] {
    QApplication::processEvents();
    auto* d = a->findChild<QFileDialog*>();
    QLineEdit* name = d ? d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    QComboBox* types = d ? d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
    if (name && types) {
      seen << name->text();
      d->selectFile(QString::fromStdString(second));
      seen << name->text();
      QTest::keyClick(types, Qt::Key_Down);
      seen << name->text() << QString::number(Form1->isVisible());
      QMetaObject::invokeMethod(d, "accept");  // "Открыть" with the box empty: nothing to open
      seen << QString::number(d->isVisible());
    }
    if (QWidget* m = QApplication::activeModalWidget()) m->close();
  });
  a->ChangFile->click();
  EXPECT_EQ(seen.join('|').toStdString(), "*.31|second.31||0|1");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_EQ(a->FileNameLabel->text(), "first.31");
  EXPECT_EQ(a->FactorList->count(), 1);
}

TEST_F(AxisDialog, AnUnreadableFileIsNotShownAsOpened) {
  Open(HandOsc(dir, "good.31", {3}));
  kvtest::WriteBytes(dir.file("bad.31"), "not an oscillogram");
  Open(dir.file("bad.31"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QString::fromStdString(dir.file("bad.31"))));
  EXPECT_EQ(a->FactorList->count(), 0);
  EXPECT_TRUE(a->FileNameLabel->text().isEmpty());
  EXPECT_TRUE(a->TimeOsc->text().isEmpty());
  EXPECT_TRUE(a->StatusPanels[1]->text().isEmpty());
  EXPECT_FALSE(a->AddFactor->isEnabled());
  EXPECT_FALSE(a->AddAllFactor->isEnabled());
}

}  // namespace
