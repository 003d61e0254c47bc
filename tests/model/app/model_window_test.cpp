// Kelvotin's main window driven offscreen, its dialogs answered by a script.
#include <gtest/gtest.h>

#include <QApplication>
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

#include "common/codepage.h"
#include "common/io_error.h"
#include "model/app/u_mod.h"
#include "model/core/processing.h"
#include "model/core/results.h"

using namespace kv;

namespace {

// Answers the dialogs from queues (empty: cancelled) and logs every box and dialog.
struct ScriptedDialogs : ModelDialogs {
  std::deque<OpenChoice> opens;
  std::deque<QString> saves;
  std::vector<QString> log;
  int failStarts = 0;  // how many process starts fail first

  template <class T>
  std::optional<T> next(std::deque<T>& q, const QString& entry) {
    log.push_back(entry);
    if (q.empty()) return std::nullopt;
    T r = q.front();
    q.pop_front();
    return r;
  }
  std::optional<OpenChoice> openFile(QWidget*, const QString& title, const QStringList& filters) override {
    return next(opens, "open:" + title + "|" + filters.join(";"));
  }
  std::optional<QString> saveFile(QWidget*, const QString& title, const QStringList& f, const QString& preset) override {
    return next(saves, "save:" + title + "|" + f.join(";") + "|" + preset);
  }
  void information(const QString& caption, const QString& text) override { log.push_back("info:" + caption + "|" + text); }
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
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
}
std::string ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(missing)");
}
std::string Enc(const QString& path) { return QFile::encodeName(path).toStdString(); }

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
    dialogs->opens.push_back({path, 1});
    click("OP_Ust");
  }
  void openProcessing(const QString& path, int filter = 1) {
    dialogs->opens.push_back({path, filter});
    click("OP_Txt");
  }
  QString visible() {
    QStringList v;
    for (const char* n : {"L1", "Vix_Tab", "L2", "Memo1", "Save_M"})
      if (w(n)->isVisible()) v << n;
    return v.join(",");
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
  EXPECT_EQ(text("Panel1"), "Модель ТОРВИН-Ц");
  const struct {
    const char* name;
    QRect place;
    const char* caption;
    int px;
  } controls[] = {
      {"Panel1", {0, 0, 929, 77}, nullptr, 27},       {"L1", {144, 128, 381, 25}, nullptr, 13},
      {"Vix_Tab", {8, 152, 381, 105}, nullptr, 13},   {"L2", {496, 80, 317, 21}, nullptr, 13},
      {"Memo1", {496, 104, 433, 313}, nullptr, 13},   {"Oscill", {12, 376, 185, 49}, "Просмотр осциллограмы", 11},
      {"Pusk", {12, 448, 185, 49}, "         Запуск обработки    ", 11},
      {"OP_Ust", {236, 448, 185, 49}, "  Открыть файл уставок   ", 11},
      {"L_Ust", {236, 424, 185, 21}, nullptr, 11},    {"OP_Txt", {436, 448, 185, 49}, "Открыть файл обработки", 11},
      {"L_Txt", {436, 424, 185, 21}, nullptr, 11},    {"Save_M", {692, 448, 153, 49}, "Сохранить файл", 11},
      {"Exit", {876, 452, 41, 41}, "", 11},           {"Image2", {4, 0, 77, 69}, nullptr, 27},
      {"Image1", {840, 0, 77, 69}, nullptr, 27},
  };
  for (const auto& c : controls) {
    EXPECT_EQ(w(c.name)->geometry(), c.place) << c.name;
    EXPECT_EQ(w(c.name)->font().pixelSize(), c.px) << c.name;
    if (c.caption) {
      EXPECT_EQ(w<QPushButton>(c.name)->text(), c.caption) << c.name;
    }
  }
  EXPECT_EQ(w("Image1")->parentWidget(), w("Panel1"));
  EXPECT_TRUE(w("Memo1")->font().bold());
  EXPECT_EQ(w("Panel1")->font().families().value(0), "Arial");
  // The fixed row has the grid's characters; memo and grid on the info colour.
  auto* tab = w<QTableWidget>("Vix_Tab");
  EXPECT_EQ(tab->horizontalHeader()->font().pixelSize(), 13);
  for (auto [name, role, rgb] : {std::tuple{"Vix_Tab", QPalette::Base, 0xFFFFE1}, {"Memo1", QPalette::Base, 0xFFFFE1},
                                 {"L_Ust", QPalette::Window, 0xC0C0C0}, {"L2", QPalette::Window, 0xB4B4B4},
                                 {"Panel1", QPalette::WindowText, 0x000080}})
    EXPECT_EQ(w(name)->palette().color(role), QColor(QRgb(rgb))) << name;
  for (int c = 0; c < 4; ++c) EXPECT_EQ(tab->columnWidth(c), (std::array{110, 108, 79, 76}[c]));

  EXPECT_EQ(visible(), "");
  EXPECT_TRUE(text("L2").isEmpty());
  QStringList order;  // focus order, skipping what cannot take focus
  QWidget* p = w("Memo1");
  do {
    if (p->focusPolicy() & Qt::TabFocus) order << p->objectName();
    p = p->nextInFocusChain();
  } while (p != w("Memo1") && order.size() < 8);
  EXPECT_EQ(order.join(","), "Memo1,Vix_Tab,Oscill,Pusk,Save_M,Exit,OP_Ust,OP_Txt");
}

TEST_F(ModelWindow, PuskAsksForTheSettingsFileFirst) {
  const QString noSettings = "info:Ошибка |Не открыт файл уставок !";
  click("Pusk");  // both missing: only the settings box
  EXPECT_EQ(dialogs->log, std::vector<QString>{noSettings});
  WriteBytes(start + "/p.txt", "  0 1 2 3 4\n");
  WriteBytes(start + "/ust.txt", "1\n");
  openProcessing(start + "/p.txt");
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), noSettings);
  win->dat().ProcessingOpened = false;  // as if only the settings file were opened
  openSettings(start + "/ust.txt");
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "info:Ошибка |Не открыт файл обработки !");
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(visible(), "L2,Memo1,Save_M");  // the window is left as it was
}

TEST_F(ModelWindow, OpenShowSaveAndCancel) {
  // Settings: full path in L2, bare name below its button; text from code page 1251.
  WriteBytes(other + "/ust.txt", Utf8ToCp1251("220 напряжение\r\n5\r\n"));
  openSettings(other + "/ust.txt");
  EXPECT_EQ(dialogs->log.back(), "open:Открытие файла уставок|Уставки(*.txt)");
  EXPECT_EQ(text("L2"), other + "/ust.txt");
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_EQ(w<QPlainTextEdit>("Memo1")->toPlainText(), "220 напряжение\n5\n");
  EXPECT_EQ(visible(), "L2,Memo1,Save_M");

  // Saved under a name without extension: ".txt" follows, line ends as the file had them.
  w<QPlainTextEdit>("Memo1")->setPlainText("3 новая\n4");
  dialogs->saves.push_back(other + "/ust2");
  click("Save_M");
  EXPECT_EQ(dialogs->log.back(), "save:Сохранение файла уставок|Текст(*.txt)|" + other + "/ust.txt");
  EXPECT_EQ(ReadBytes(other + "/ust2.txt"), Utf8ToCp1251("3 новая\r\n4\r\n"));
  EXPECT_EQ(text("L_Ust"), "ust2.txt");
  EXPECT_EQ(win->dat().SettingsFileName, Enc(other + "/ust2.txt"));
  EXPECT_EQ(visible(), "");
  EXPECT_EQ(QDir::currentPath(), start);

  // Processing: bare name in both labels, full name kept for the run; saved
  // again under its own name, a lone CR still a CR; a cancelled save still
  // hides the memo.
  WriteBytes(other + "/run.a.txt", "  0 1 2 3 4 % a\r 5\n");
  openProcessing(other + "/run.a.txt");
  EXPECT_EQ(dialogs->log.back(), "open:Открытие файла обработки|Текстовые(*.txt);Экспон.(*.exp)");
  EXPECT_EQ(text("L2"), "run.a.txt");
  EXPECT_EQ(text("L_Txt"), "run.a.txt");
  EXPECT_EQ(win->dat().ProcessingFileName, Enc(other + "/run.a.txt"));
  dialogs->saves.push_back(other + "/run.a.txt");
  click("Save_M");
  EXPECT_EQ(dialogs->log.back(), "save:|Текст(*.txt)|" + other + "/run.a.txt");
  EXPECT_EQ(ReadBytes(other + "/run.a.txt"), "  0 1 2 3 4 % a\r 5\n");
  openProcessing(other + "/run.a.txt");
  click("Save_M");  // cancelled
  EXPECT_EQ(visible(), "");
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);
}

// A failed open, save or conversion: one message, names, flags and labels as
// before, Pusk enabled, the start directory current again.
TEST_F(ModelWindow, FailedFileActionsChangeNothing) {
  WriteBytes(start + "/ust.txt", "1\n");
  WriteBytes(start + "/p.txt", "  0 1 2 3 4\n");
  openSettings(start + "/ust.txt");
  QDir().mkpath(other + "/taken.txt");  // a folder where the file should go
  dialogs->saves.push_back(other + "/taken.txt");
  click("Save_M");
  EXPECT_EQ(dialogs->count("error:"), 1);
  EXPECT_EQ(visible(), "L2,Memo1,Save_M");  // the unsaved text stays for another try
  EXPECT_TRUE(QDir(other).entryList(QDir::Files | QDir::Hidden).isEmpty());  // no leftovers
  click("Save_M");
  openProcessing(start + "/p.txt");
  click("Save_M");

  openSettings(other + "/missing.txt");
  EXPECT_TRUE(dialogs->log.back().startsWith("error:File not found")) << dialogs->log.back().toStdString();
  openProcessing(other + "/missing.txt");
  win->setConvertExpFile([&](DatMod1& d, std::string*) {
    d.ui->Warning("Файл x.exp не найден");
    return false;
  });
  openProcessing(other + "/x.exp", 2);
  EXPECT_EQ(dialogs->log.back(), "warning:Файл x.exp не найден");
  win->setConvertExpFile([](DatMod1&, std::string*) -> bool { throw IoError(kDiskFull); });
  openProcessing(other + "/x.exp", 2);
  EXPECT_EQ(dialogs->log.back(), "error:Disk full.");
  EXPECT_EQ(dialogs->count("error:"), 4);

  EXPECT_EQ(win->dat().SettingsFileName, Enc(start + "/ust.txt"));
  EXPECT_EQ(win->dat().ProcessingFileName, Enc(start + "/p.txt"));
  EXPECT_EQ(win->dat().LastOpened, 2);
  EXPECT_EQ(text("L_Ust"), "ust.txt");
  EXPECT_EQ(text("L_Txt"), "p.txt");
  EXPECT_EQ(visible(), "");
  EXPECT_TRUE(w("Pusk")->isEnabled());
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ModelWindow, RunShowsEveryTripAndSurvivesFailures) {
  WriteBytes(other + "/ust.txt", "1\n");
  WriteBytes(other + "/p.txt", "  0 1 2 3 4\n");
  openSettings(other + "/ust.txt");
  openProcessing(other + "/p.txt");
  QString during, runDir;
  onRun = [&](DatMod1& d) {
    during = visible() + (w("Pusk")->isEnabled() ? "+Pusk" : "");
    runDir = QDir::currentPath();
    d.ui->Warning("Файл p.txt не найден");
    d.results.title = "title";
    d.results.cells.resize(6);  // header and five trips
    for (int r = 1; r < 6; ++r) d.results.cells[r][0] = " " + std::to_string(r);
  };
  click("Pusk");
  EXPECT_EQ(during, "");
  EXPECT_EQ(runDir, start);  // the run reads and writes in the start directory
  EXPECT_EQ(dialogs->log.back(), "warning:Файл p.txt не найден");
  auto* tab = w<QTableWidget>("Vix_Tab");
  EXPECT_EQ(visible(), "L1,Vix_Tab");
  EXPECT_EQ(text("L1"), "title");
  ASSERT_EQ(tab->rowCount(), 5);
  EXPECT_EQ(tab->item(4, 0)->text(), " 5");

  // Failures: one error box each, the table hidden, the window usable.
  int n = 0;
  onRun = [&](DatMod1&) {
    if (++n == 1) throw IoError(kInvalidNumeric);
    if (n == 2) throw std::runtime_error("Деление на ноль");
    if (n == 3) throw 42;
  };
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "error:Invalid numeric format.");
  EXPECT_EQ(visible(), "");
  EXPECT_EQ(win->dat().RunStatus, 1);
  EXPECT_TRUE(w("Pusk")->isEnabled());
  click("Pusk");
  EXPECT_EQ(dialogs->log.back(), "error:Деление на ноль.");
  click("Pusk");
  EXPECT_EQ(dialogs->count("error:"), 3);

  // The next run starts from the empty table of InitResultsGrid.
  click("Pusk");
  EXPECT_EQ(visible(), "L1,Vix_Tab");
  EXPECT_EQ(tab->rowCount(), 3);
  EXPECT_EQ(tab->horizontalHeaderItem(1)->text(), "   Тип ВО");
  EXPECT_TRUE(tab->item(0, 0)->text().isEmpty());
  EXPECT_EQ(QDir::currentPath(), start);
}

TEST_F(ModelWindow, OscillStartsViewerBesideProgramThenFromPath) {
  const QString own = QDir(QCoreApplication::applicationDirPath()).filePath("vistrel");
  click("Oscill");
  EXPECT_EQ(dialogs->log, std::vector<QString>{"start:" + own});
  dialogs->failStarts = 2;  // neither can be started: nothing is reported
  click("Oscill");
  EXPECT_EQ(dialogs->log, (std::vector<QString>{"start:" + own, "start:" + own, "start:vistrel"}));
}

// Driven as a user would: the example settings, the example export converted
// under the second filter (whatever its extension) in another folder, a run
// with the model's own code.
TEST_F(ModelWindow, EndToEndRunOfConvertedExport) {
  win->setRunProcessing([](DatMod1& d) { RunProcessing(d); });
  const QString examples = QStringLiteral(KV_SOURCE_DIR) + "/examples/";
  ASSERT_TRUE(QFile::copy(examples + "ust.txt", other + "/ust.txt"));
  ASSERT_TRUE(QFile::copy(examples + "async_export.exp", other + "/run.a.txt"));
  ASSERT_TRUE(QFile::copy(examples + "parl", start + "/parl"));
  // A different file of the converted name waits in the start directory and must not be read.
  WriteBytes(start + "/run.txt", "  0 500 1000 300 -50\n  0.02 500 1000 300 -50\n");

  openSettings(other + "/ust.txt");
  openProcessing(other + "/run.a.txt", 2);
  EXPECT_EQ(text("L2"), "run.txt");
  EXPECT_EQ(text("L_Txt"), "run.txt");
  EXPECT_EQ(win->dat().ProcessingFileName, Enc(other + "/run.txt"));
  EXPECT_TRUE(w<QPlainTextEdit>("Memo1")->toPlainText().startsWith("  0.0"));
  EXPECT_EQ(QDir::currentPath(), start);
  click("Pusk");
  ASSERT_EQ(dialogs->count("warning:") + dialogs->count("error:"), 0) << dialogs->log.back().toStdString();
  EXPECT_EQ(visible(), "L1,Vix_Tab");
  EXPECT_EQ(QFileInfo(start + "/run.31").size(), 104 + 64 * 401 + 1860);
  EXPECT_FALSE(QFile::exists(start + "/ema.tip"));

  // The table shows the rows the model computes for these files.
  auto* tab = w<QTableWidget>("Vix_Tab");
  EXPECT_EQ(text("L1"), QString(33, ' ') + "РЕЗУЛЬТАТЫ ОБРАБОТКИ");
  DatMod1 direct;
  direct.SettingsFileName = win->dat().SettingsFileName;
  direct.ProcessingFileName = win->dat().ProcessingFileName;
  RunProcessing(direct);
  ASSERT_EQ(tab->rowCount() + 1, int(direct.results.cells.size()));
  EXPECT_FALSE(direct.results.cells[1][0].empty());
  for (int r = 0; r < tab->rowCount(); ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(tab->item(r, c)->text().toStdString(), direct.results.cells[r + 1][c]);
}

// A file of any size opens: the memo shows its beginning, says so, and never
// lets the part on show replace the file; the run reads the whole file.
TEST_F(ModelWindow, HugeFilesShowTheirBeginningAndSavingNeverCutsThem) {
  win->setMemoLimits({64 * 1024, 1000});
  win->setRunProcessing([](DatMod1& d) { RunProcessing(d); });
  ASSERT_TRUE(QFile::copy(QStringLiteral(KV_SOURCE_DIR) + "/examples/parl", start + "/parl"));
  // Settings whose first line carries a comment of 300,000 characters.
  std::string settings = ReadBytes(QStringLiteral(KV_SOURCE_DIR) + "/examples/ust.txt");
  settings.insert(settings.find('\n'), std::string(300000, 'x'));
  WriteBytes(other + "/ust.txt", settings);
  // 10,000 grid points, about 400 KB.
  std::string processing;
  for (int i = 0; i < 10000; ++i) processing += " " + std::to_string(i * 0.02) + " 500 1 -900 60\n";
  WriteBytes(other + "/run.txt", processing);

  const struct {
    const char* file;
    const char* says;
  } cases[] = {{"ust.txt", "\n Строки длиннее 1000 знаков\n показаны не полностью.\n"},
               {"run.txt", "\n[Показано только начало файла:\n 64 КБ из "}};
  for (const auto& c : cases) {
    const QString path = other + "/" + c.file;
    if (c.file[0] == 'u') openSettings(path); else openProcessing(path);
    auto* memo = w<QPlainTextEdit>("Memo1");
    const QString shown = memo->toPlainText();
    EXPECT_LT(shown.size(), 66 * 1024) << c.file;
    EXPECT_TRUE(shown.contains(QString::fromUtf8(c.says))) << shown.right(200).toStdString();
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("\n Обработка читает весь файл;\n сохранить его из этого окна нельзя.]")))
        << c.file;
    EXPECT_TRUE(memo->isReadOnly());
    // Saving is refused before any dialog; the file stays whole.
    dialogs->saves.push_back(path);
    const std::size_t dialogsBefore = dialogs->log.size();
    click("Save_M");
    ASSERT_EQ(dialogs->log.size(), dialogsBefore + 1);
    EXPECT_TRUE(dialogs->log.back().startsWith("warning:Файл показан в окне не полностью")) << dialogs->log.back().toStdString();
    dialogs->saves.clear();
    EXPECT_EQ(ReadBytes(path), c.file[0] == 'u' ? settings : processing);
    EXPECT_EQ(visible(), "");
  }
  click("Pusk");
  EXPECT_EQ(dialogs->count("error:"), 0) << dialogs->log.back().toStdString();
  EXPECT_EQ(win->dat().SampleCount, 10000);  // the whole file, not the part on show
  EXPECT_EQ(win->dat().settings.X1, 100.0f);

  // A small file is shown whole and editable again.
  WriteBytes(other + "/small.txt", " 0 1 2 3 4\n");
  openProcessing(other + "/small.txt");
  EXPECT_EQ(w<QPlainTextEdit>("Memo1")->toPlainText(), " 0 1 2 3 4\n");
  EXPECT_FALSE(w<QPlainTextEdit>("Memo1")->isReadOnly());
}

// With the window's own limits a line of 20 MB opens at once in little
// memory, and the notice says how much of it is shown.
TEST_F(ModelWindow, LineOfTwentyMegabytesOpens) {
  WriteBytes(other + "/one.txt", "500 " + std::string(20 << 20, '7') + "\n2\n");
  openSettings(other + "/one.txt");
  const QString shown = w<QPlainTextEdit>("Memo1")->toPlainText();
  EXPECT_LT(shown.size(), 5000);
  EXPECT_TRUE(shown.endsWith(QString::fromUtf8("сохранить его из этого окна нельзя.]"))) << shown.right(80).toStdString();
  EXPECT_TRUE(shown.contains(QString::fromUtf8("[Показано только начало файла:\n 4096 байт из 20 МБ.\n Строки длиннее 4096")));
}

}  // namespace
