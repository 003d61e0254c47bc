// Kelvotin's main window driven offscreen, its dialogs answered by a script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <sstream>

#include "common/codepage.h"
#include "common/io_error.h"
#include "model/app/u_mod.h"
#include "model/core/processing.h"
#include "model/core/results.h"

using namespace kv;

namespace {

struct ScriptedDialogs : ModelDialogs {
  std::deque<std::optional<OpenChoice>> opens;
  std::deque<std::optional<QString>> saves;
  std::vector<QString> log;  // every box and dialog, in order
  int failStarts = 0;        // how many process starts fail first

  std::optional<OpenChoice> openFile(QWidget*, const QString& title, const QStringList& filters) override {
    log.push_back("open:" + title + "|" + filters.join(";"));
    if (opens.empty()) return std::nullopt;
    auto r = opens.front();
    opens.pop_front();
    return r;
  }
  std::optional<QString> saveFile(QWidget*, const QString& title, const QStringList& filters,
                                  const QString& preset) override {
    log.push_back("save:" + title + "|" + filters.join(";") + "|" + preset);
    if (saves.empty()) return std::nullopt;
    auto r = saves.front();
    saves.pop_front();
    return r;
  }
  void information(const QString& caption, const QString& text) override {
    log.push_back("info:" + caption + "|" + text);
  }
  void warning(QWidget*, const QString& text) override { log.push_back("warning:" + text); }
  void error(QWidget*, const QString& text) override { log.push_back("error:" + text); }
  bool startDetached(const QString& program) override {
    log.push_back("start:" + program);
    return failStarts-- <= 0;
  }
  int count(const QString& prefix) const {
    return int(std::count_if(log.begin(), log.end(), [&](const QString& s) { return s.startsWith(prefix); }));
  }
};

void WriteBytes(const QString& path, const std::string& bytes) {
  std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
}
std::string ReadBytes(const QString& path) {
  std::ifstream f(QFile::encodeName(path).toStdString(), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class ModelWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "model_window_test";
    static char* argv[] = {arg0, nullptr};
    if (!qApp) new QApplication(argc, argv);
  }

  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    originalDir = QDir::currentPath();
    start = tmp.filePath("start");
    other = tmp.filePath("other.dir");
    QDir().mkpath(start);
    QDir().mkpath(other);
    QDir::setCurrent(start);
    auto dlg = std::make_unique<ScriptedDialogs>();
    dialogs = dlg.get();
    win = std::make_unique<TMODEL>(std::move(dlg));
    win->setRunProcessing([this](DatMod1& d) {
      ++runs;
      if (onRun) onRun(d);
      d.RunStatus = 0;
    });
    win->show();
  }
  void TearDown() override {
    win.reset();
    QDir::setCurrent(originalDir);
  }

  template <class W = QWidget>
  W* w(const char* name) {
    W* p = win->findChild<W*>(name);
    EXPECT_NE(p, nullptr) << name;
    return p;
  }
  QString text(const char* label) { return w<QLabel>(label)->text(); }
  void click(const char* button) { w<QPushButton>(button)->click(); }
  void openSettings(const QString& path) {
    dialogs->opens.push_back(ModelDialogs::OpenChoice{path, 1});
    click("OP_Ust");
  }
  void openProcessing(const QString& path, int filter = 1) {
    dialogs->opens.push_back(ModelDialogs::OpenChoice{path, filter});
    click("OP_Txt");
  }

  QTemporaryDir tmp;
  QString originalDir, start, other;
  ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TMODEL> win;
  int runs = 0;
  std::function<void(DatMod1&)> onRun;
};

TEST_F(ModelWindow, ControlsAtStart) {
  EXPECT_EQ(win->windowTitle(), "Модель ТОРВИН-Ц");
  EXPECT_EQ(w<QPushButton>("Pusk")->text(), "         Запуск обработки    ");
  EXPECT_EQ(w<QPushButton>("OP_Ust")->text(), "  Открыть файл уставок   ");
  EXPECT_EQ(w<QPushButton>("OP_Txt")->text(), "Открыть файл обработки");
  EXPECT_EQ(w<QPushButton>("Oscill")->text(), "Просмотр осциллограмы");
  EXPECT_EQ(w<QPushButton>("Save_M")->text(), "Сохранить файл");
  EXPECT_TRUE(w<QPushButton>("Exit")->text().isEmpty());
  EXPECT_EQ(text("Panel1"), "Модель ТОРВИН-Ц");
  EXPECT_EQ(w("Vix_Tab")->geometry(), QRect(8, 152, 381, 105));
  EXPECT_EQ(w("Memo1")->geometry(), QRect(496, 104, 433, 313));
  EXPECT_EQ(w("Image1")->parentWidget(), w("Panel1"));
  for (const char* shown : {"Panel1", "Image1", "Image2", "Oscill", "Pusk", "OP_Ust", "OP_Txt", "Exit", "L_Ust", "L_Txt"})
    EXPECT_TRUE(w(shown)->isVisible()) << shown;
  for (const char* hidden : {"L1", "Vix_Tab", "L2", "Memo1", "Save_M"}) EXPECT_FALSE(w(hidden)->isVisible()) << hidden;
  EXPECT_TRUE(text("L2").isEmpty());

  // Focus order, skipping what cannot take focus.
  QStringList order;
  QWidget* p = w("Memo1");
  do {
    if (p->focusPolicy() & Qt::TabFocus) order << p->objectName();
    p = p->nextInFocusChain();
  } while (p != w("Memo1") && order.size() < 8);
  EXPECT_EQ(order.join(","), "Memo1,Vix_Tab,Oscill,Pusk,Save_M,Exit,OP_Ust,OP_Txt");
}

TEST_F(ModelWindow, PuskReportsMissingFilesInOrder) {
  const QString settings = "info:Ошибка |Не открыт файл уставок !";
  click("Pusk");  // both missing: only the settings box
  EXPECT_EQ(dialogs->log, std::vector<QString>{settings});
  WriteBytes(start + "/p.txt", "  0 1 2 3 4\n");
  openProcessing(start + "/p.txt");
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), settings);
  EXPECT_EQ(dialogs->count("info:"), 2);
  EXPECT_EQ(runs, 0);
}

TEST_F(ModelWindow, PuskWithSettingsOnlyAsksForProcessingFile) {
  WriteBytes(start + "/ust.txt", "1\n");
  openSettings(start + "/ust.txt");
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "info:Ошибка |Не открыт файл обработки !");
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(w("Memo1")->isVisible());  // the window is left as it was
}

TEST_F(ModelWindow, OpeningFilesSetsLabelsNamesAndMemo) {
  // Settings: full path in L2, bare name below its button; text from code page 1251.
  WriteBytes(other + "/ust.txt", Utf8ToCp1251("220 напряжение\r\n5\r\n"));
  openSettings(other + "/ust.txt");
  EXPECT_EQ(dialogs->log.back(), "open:Открытие файла уставок|Уставки(*.txt)");
  EXPECT_EQ(text("L2"), other + "/ust.txt");
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_EQ(w<QPlainTextEdit>("Memo1")->toPlainText(), "220 напряжение\n5\n");
  for (const char* shown : {"Memo1", "L2", "Save_M"}) EXPECT_TRUE(w(shown)->isVisible()) << shown;
  EXPECT_TRUE(win->dat().SettingsOpened);
  EXPECT_EQ(win->dat().LastOpened, 1);
  EXPECT_EQ(win->dat().SettingsFileName, QFile::encodeName(other + "/ust.txt").toStdString());

  // Processing: bare name in both labels, full name kept for the run.
  WriteBytes(other + "/run.a.txt", "  0 1 2 3 4\n");
  openProcessing(other + "/run.a.txt");
  EXPECT_EQ(dialogs->log.back(), "open:Открытие файла обработки|Текстовые(*.txt);Экспон.(*.exp)");
  EXPECT_EQ(text("L2"), "run.a.txt");
  EXPECT_EQ(text("L_Txt"), "run.a.txt");
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_TRUE(win->dat().ProcessingOpened);
  EXPECT_EQ(win->dat().LastOpened, 2);
  EXPECT_EQ(win->dat().ProcessingFileName, QFile::encodeName(other + "/run.a.txt").toStdString());
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ModelWindow, SaveAppendsTxtAndWritesCp1251) {
  WriteBytes(start + "/ust.txt", Utf8ToCp1251("1 уставка\r\n2\r\n"));
  openSettings(start + "/ust.txt");
  auto* memo = w<QPlainTextEdit>("Memo1");
  memo->setPlainText("3 новая\n4");
  dialogs->saves.push_back(other + "/ust2");
  click("Save_M");
  EXPECT_EQ(dialogs->log.back(), "save:Сохранение файла уставок|Текст(*.txt)|" + start + "/ust.txt");
  // Line ends as the file had them; the last line gets one too.
  EXPECT_EQ(ReadBytes(other + "/ust2.txt"), Utf8ToCp1251("3 новая\r\n4\r\n"));
  EXPECT_FALSE(QFile::exists(other + "/ust2"));
  EXPECT_EQ(text("L_Ust"), "ust2.txt");
  EXPECT_EQ(win->dat().SettingsFileName, QFile::encodeName(other + "/ust2.txt").toStdString());
  for (const char* hidden : {"Memo1", "L2", "Save_M"}) EXPECT_FALSE(w(hidden)->isVisible()) << hidden;
  EXPECT_EQ(QDir::currentPath(), start);

  // Saved again under its own name, which already ends in ".txt".
  WriteBytes(start + "/p.txt", "  0 1 2 3 4\n");
  openProcessing(start + "/p.txt");
  dialogs->saves.push_back(start + "/p.txt");
  click("Save_M");
  EXPECT_EQ(dialogs->log.back(), "save:|Текст(*.txt)|" + start + "/p.txt");
  EXPECT_EQ(ReadBytes(start + "/p.txt"), "  0 1 2 3 4\n");
  EXPECT_EQ(text("L_Txt"), "p.txt");
}

TEST_F(ModelWindow, CancelledSaveStillHidesMemo) {
  WriteBytes(start + "/ust.txt", "1\n");
  openSettings(start + "/ust.txt");
  click("Save_M");  // no answer: cancelled
  for (const char* hidden : {"Memo1", "L2", "Save_M"}) EXPECT_FALSE(w(hidden)->isVisible()) << hidden;
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(ReadBytes(start + "/ust.txt"), "1\n");
}

TEST_F(ModelWindow, FailedSaveKeepsNameMemoAndDirectory) {
  WriteBytes(start + "/ust.txt", "1\n");
  openSettings(start + "/ust.txt");
  QDir().mkpath(other + "/taken.txt");  // a folder where the file should go
  dialogs->saves.push_back(other + "/taken.txt");
  click("Save_M");
  EXPECT_EQ(dialogs->count("error:"), 1);
  EXPECT_EQ(win->dat().SettingsFileName, QFile::encodeName(start + "/ust.txt").toStdString());
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_TRUE(w("Memo1")->isVisible());
  EXPECT_TRUE(w("Save_M")->isVisible());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);
  EXPECT_TRUE(QDir(other).entryList(QDir::Files | QDir::Hidden).isEmpty());  // no leftovers
}

TEST_F(ModelWindow, FailedOpenChangesNothing) {
  WriteBytes(start + "/ust.txt", "1\n");
  openSettings(start + "/ust.txt");
  click("Save_M");
  openSettings(other + "/missing.txt");
  openProcessing(other + "/missing.txt");
  ASSERT_EQ(dialogs->count("error:"), 2);
  EXPECT_TRUE(dialogs->log[dialogs->log.size() - 3].startsWith("error:File not found"));
  EXPECT_EQ(win->dat().SettingsFileName, QFile::encodeName(start + "/ust.txt").toStdString());
  EXPECT_TRUE(win->dat().ProcessingFileName.empty());
  EXPECT_FALSE(win->dat().ProcessingOpened);
  EXPECT_EQ(win->dat().LastOpened, 1);
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_TRUE(text("L_Txt").isEmpty());
  EXPECT_FALSE(w("Memo1")->isVisible());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);
}

class ModelWindowRun : public ModelWindow {
 protected:
  void SetUp() override {
    ModelWindow::SetUp();
    WriteBytes(other + "/ust.txt", "1\n");
    WriteBytes(other + "/p.txt", "  0 1 2 3 4\n");
    openSettings(other + "/ust.txt");
    openProcessing(other + "/p.txt");
  }
};

TEST_F(ModelWindowRun, TableHiddenDuringRunShownAfterAllTrips) {
  std::vector<bool> during;
  QString runDir;
  onRun = [&](DatMod1& d) {
    for (const char* name : {"Vix_Tab", "L1", "Memo1", "L2", "Save_M"}) during.push_back(w(name)->isVisible());
    during.push_back(w("Pusk")->isEnabled());
    runDir = QDir::currentPath();
    d.ui->Warning("Файл p.txt не найден");
    d.results.title = "title";
    d.results.cells.resize(6);  // header and five trips
    for (int r = 1; r < 6; ++r) d.results.cells[r][0] = " " + std::to_string(r);
  };
  click("Pusk");
  EXPECT_EQ(during, std::vector<bool>(6, false));
  EXPECT_EQ(runDir, start);  // the run reads and writes in the start directory
  EXPECT_EQ(dialogs->log.back(), "warning:Файл p.txt не найден");
  auto* tab = w<QTableWidget>("Vix_Tab");
  EXPECT_TRUE(tab->isVisible());
  EXPECT_TRUE(w("L1")->isVisible());
  EXPECT_FALSE(w("Memo1")->isVisible());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(text("L1"), "title");
  ASSERT_EQ(tab->rowCount(), 5);
  EXPECT_EQ(tab->item(0, 0)->text(), " 1");
  EXPECT_EQ(tab->item(4, 0)->text(), " 5");

  // The second run starts from the empty table of InitResultsGrid.
  onRun = [&](DatMod1&) { during = {w("Vix_Tab")->isVisible()}; };
  click("Pusk");
  EXPECT_EQ(during, std::vector<bool>{false});
  EXPECT_EQ(tab->rowCount(), 3);
  EXPECT_EQ(tab->horizontalHeaderItem(1)->text(), "   Тип ВО");
  EXPECT_TRUE(tab->item(0, 0)->text().isEmpty());
  EXPECT_EQ(runs, 2);
}

TEST_F(ModelWindowRun, FailedRunReportsAndStaysUsable) {
  int n = 0;
  onRun = [&](DatMod1&) {
    if (++n == 1) throw IoError(kInvalidNumeric);
    if (n == 2) throw FpError("Деление на ноль");
  };
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "error:Invalid numeric format.");
  EXPECT_FALSE(w("Vix_Tab")->isVisible());
  EXPECT_FALSE(w("L1")->isVisible());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(win->dat().RunStatus, 1);
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "error:Деление на ноль.");
  click("Pusk");
  EXPECT_EQ(dialogs->count("error:"), 2);
  EXPECT_TRUE(w("Vix_Tab")->isVisible());
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ModelWindow, ExpFilterConvertsAndRecordsFullPath) {
  WriteBytes(other + "/run.a.txt", "header\n");  // filter 2 converts whatever the extension
  QString convertDir;
  win->setConvertExpFile([&](DatMod1& d, std::string* out) {
    convertDir = QDir::currentPath();
    EXPECT_EQ(d.ShortFileName, "run.a.txt");
    d.BaseName = "run.txt";
    WriteBytes("run.txt", "  12.5  0.5\r\n");
    *out = QFile::encodeName(QDir::current().absoluteFilePath("run.txt")).toStdString();
    return true;
  });
  openProcessing(other + "/run.a.txt", 2);
  EXPECT_EQ(convertDir, other);
  EXPECT_EQ(text("L2"), "run.txt");
  EXPECT_EQ(text("L_Txt"), "run.txt");
  EXPECT_EQ(w<QPlainTextEdit>("Memo1")->toPlainText(), "  12.5  0.5\n");
  EXPECT_EQ(win->dat().ProcessingFileName, QFile::encodeName(other + "/run.txt").toStdString());
  EXPECT_TRUE(win->dat().ProcessingOpened);
  EXPECT_EQ(QDir::currentPath(), start);
  EXPECT_EQ(dialogs->count("error:") + dialogs->count("warning:"), 0);
}

TEST_F(ModelWindow, FailedConversionEndsQuietlyAfterItsWarning) {
  WriteBytes(start + "/p.txt", "  0 1 2 3 4\n");
  openProcessing(start + "/p.txt");
  click("Save_M");
  win->setConvertExpFile([&](DatMod1& d, std::string*) {
    d.ui->Warning("Файл x.exp не найден");
    return false;
  });
  openProcessing(other + "/x.exp", 2);
  EXPECT_EQ(dialogs->log.back(), "warning:Файл x.exp не найден");
  EXPECT_EQ(dialogs->count("error:"), 0);
  EXPECT_EQ(win->dat().ProcessingFileName, QFile::encodeName(start + "/p.txt").toStdString());
  EXPECT_EQ(text("L_Txt"), "p.txt");
  EXPECT_FALSE(w("Memo1")->isVisible());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);

  // Should the converter throw after all, that is one error box and no more.
  win->setConvertExpFile([](DatMod1&, std::string*) -> bool { throw IoError(kDiskFull); });
  openProcessing(other + "/x.exp", 2);
  EXPECT_EQ(dialogs->log.back(), "error:Disk full.");
  EXPECT_EQ(win->dat().ProcessingFileName, QFile::encodeName(start + "/p.txt").toStdString());
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ModelWindow, OscillStartsViewerBesideProgramThenFromPath) {
  const QString own = QDir(QCoreApplication::applicationDirPath()).filePath("vistrel");
  click("Oscill");
  EXPECT_EQ(dialogs->log, std::vector<QString>{"start:" + own});
  dialogs->log.clear();
  dialogs->failStarts = 2;  // neither can be started: nothing is reported
  click("Oscill");
  EXPECT_EQ(dialogs->log, (std::vector<QString>{"start:" + own, "start:vistrel"}));
}

// Driven as a user would: the settings file, an export converted under the
// second filter in another folder, a run with the model's own code.
TEST_F(ModelWindow, EndToEndRunOfConvertedExport) {
  win->setRunProcessing([](DatMod1& d) { RunProcessing(d); });
  const QString examples = QStringLiteral(KV_SOURCE_DIR) + "/examples/";
  if (QFile::exists(examples + "ust.txt")) {
    QFile::copy(examples + "ust.txt", other + "/ust.txt");
  } else {
    const char* v[41] = {"500", "1000", "40", "4", "60", "3", "80", "120", "30", "50", "70", "10", "2", "3",
                         "1", "1", "2", "2", "1500", "1200", "3", "2.5", "300", "8", "0.25", "1", "-1",
                         "0", "1", "-1", "1", "0", "-1", "120", "150", "200", "250", "1", "1", "0", "1"};
    std::string text;
    for (const char* x : v) text += std::string(x) + "\r\n";
    WriteBytes(other + "/ust.txt", text);
  }
  if (QFile::exists(examples + "parl"))
    QFile::copy(examples + "parl", start + "/parl");
  else
    WriteBytes(start + "/parl", std::string(1860, '\x01'));
  // Eleven samples, 0 to 0.2 s; a different file of the same name waits in
  // the start directory and must not be read.
  std::string exp;
  for (int i = 0; i < 7; ++i) exp += "header line\r\n";
  for (int k = 0; k <= 10; ++k) {
    const std::string t = k == 0 ? " .0E+00" : (2 * k < 10 ? " ." + std::to_string(2 * k) + "E-01" : " ." + std::to_string(2 * k) + "E+00");
    exp += t + "  .5E+03  .1E+04  .3E+03 -.5E+02\r\n";
  }
  WriteBytes(other + "/run.exp", exp);
  WriteBytes(start + "/run.txt", "  0 500 1000 300 -50\n  0.02 500 1000 300 -50\n");

  openSettings(other + "/ust.txt");
  openProcessing(other + "/run.exp", 2);
  EXPECT_EQ(text("L_Txt"), "run.txt");
  EXPECT_TRUE(QFile::exists(other + "/run.txt"));
  click("Pusk");
  EXPECT_EQ(dialogs->count("warning:") + dialogs->count("error:"), 0) << dialogs->log.back().toStdString();
  EXPECT_EQ(win->dat().RunStatus, 0);
  ASSERT_TRUE(w("Vix_Tab")->isVisible());
  EXPECT_EQ(QFileInfo(start + "/run.31").size(), 104 + 64 * 11 + 1860);
  EXPECT_FALSE(QFile::exists(start + "/ema.tip"));

  // The table shows the rows the model computes for these files.
  auto* tab = w<QTableWidget>("Vix_Tab");
  EXPECT_EQ(text("L1"), QString(33, ' ') + "РЕЗУЛЬТАТЫ ОБРАБОТКИ");
  EXPECT_EQ(tab->horizontalHeaderItem(0)->text(), " Время сраб.(с)");
  DatMod1 direct;
  direct.SettingsFileName = win->dat().SettingsFileName;
  direct.ProcessingFileName = win->dat().ProcessingFileName;
  direct.RunStatus = 1;
  InitResultsGrid(direct);
  RunProcessing(direct);
  ASSERT_EQ(tab->rowCount() + 1, int(direct.results.cells.size()));
  for (int r = 0; r < tab->rowCount(); ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(tab->item(r, c)->text().toStdString(), direct.results.cells[r + 1][c]) << r << "," << c;
}

TEST(ModelWindowText, MemoBytesRoundTrip) {
  EXPECT_EQ(FileBytesToMemoText(Utf8ToCp1251("а\r\nб\rв\n")), "а\nб\nв\n");
  EXPECT_EQ(MemoTextToFileBytes("а\nб", true), Utf8ToCp1251("а\r\nб\r\n"));
  EXPECT_EQ(MemoTextToFileBytes("а\n\n", false), Utf8ToCp1251("а\n\n"));
  EXPECT_EQ(MemoTextToFileBytes("", true), "");
  DatMod1 d;
  d.ShortFileName = "/a.b/c/run.a.txt";
  StripDirectory(d);
  EXPECT_EQ(d.ShortFileName, "run.a.txt");
  StripDirectory(d);
  EXPECT_EQ(d.ShortFileName, "run.a.txt");
}

}  // namespace
