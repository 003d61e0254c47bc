#include "model/app/u_mod.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTextDocument>
#include <algorithm>
#include <exception>

#include "common/codepage.h"
#include "common/io_error.h"
#include "common/rtl_file.h"
#include "model/app/decor.h"
#include "model/app/model_dialogs.h"
#include "model/core/exp_convert.h"
#include "model/core/processing.h"
#include "model/core/results.h"

namespace kv {

namespace {

const QString kFontFamily = QStringLiteral("DejaVu Sans");

std::string Enc(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString Dec(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QFont PixelFont(int px, bool bold = false, const QStringList& families = {kFontFamily}) {
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

// The title's Arial, or a face of the same metrics where it is not installed.
const QStringList kTitleFamilies = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Nimbus Sans"), kFontFamily};

void Fill(QWidget* w, const QColor& c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, c);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

// The text area of a memo or grid; frame and scroll-bar corner keep the window's colour.
void FillText(QWidget* w, const QColor& c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, c);
  w->setPalette(pal);
}

const QColor kActiveBorder(0xB4, 0xB4, 0xB4);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kInfoBk(0xFF, 0xFF, 0xE1);

// Every file action starts by noting the current directory and ends by going
// back to it, whatever happened in between; runs therefore always read and
// write in the directory the program started in.
class SavedDirectory {
 public:
  explicit SavedDirectory(DatMod1& d) : d_(d) { d_.SavedDir = Enc(QDir::currentPath()); }
  ~SavedDirectory() { QDir::setCurrent(Dec(d_.SavedDir)); }
  SavedDirectory(const SavedDirectory&) = delete;
  SavedDirectory& operator=(const SavedDirectory&) = delete;

 private:
  DatMod1& d_;
};

// After a pick the current directory is the picked file's folder.
void EnterFolderOf(const QString& path) { QDir::setCurrent(QFileInfo(path).absolutePath()); }

// The class library's error box ends the message with a full stop.
QString ErrorText(const char* what) {
  QString t = QString::fromUtf8(what);
  if (!t.isEmpty() && t.back() > QLatin1Char('.')) t += QLatin1Char('.');
  return t;
}

bool EndsInTxt(const QString& name) { return name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive); }

}  // namespace

void StripDirectory(DatMod1& d) {
  std::string& s = d.ShortFileName;
  const auto pos = s.rfind('/');
  if (pos != std::string::npos) s = s.substr(pos + 1);
}

// In a file with LF line ends a lone CR is a blank to the run, not a line
// end: the memo shows it as a mark that saving turns back into the CR, so a
// save changes nothing the run reads.
constexpr QChar kLoneCrMark(0x240D);

QString FileBytesToMemoText(const std::string& bytes) {
  QString t = QString::fromStdString(Cp1251ToUtf8(bytes));
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const bool lfEnds = bytes.find('\n') != std::string::npos;
  t.replace(QLatin1Char('\r'), lfEnds ? kLoneCrMark : QChar(u'\n'));
  return t;
}

std::string MemoTextToFileBytes(const QString& text, bool crlf) {
  QStringList lines = text.split(QLatin1Char('\n'));
  // A memo ending in a line break has no further line.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString out;
  for (const QString& l : lines) out += l + eol;
  out.replace(kLoneCrMark, QLatin1Char('\r'));
  return Utf8ToCp1251(out.toStdString());
}

TMODEL::TMODEL(std::unique_ptr<ModelDialogs> dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtModelDialogs>()),
      run_([](DatMod1& d) { RunProcessing(d); }),
      convert_([](DatMod1& d, std::string* out) { return ConvertExpFile(d, out); }) {
  d_.ui = this;
  BuildControls();
  FormCreate();
}

TMODEL::~TMODEL() { d_.ui = nullptr; }

void TMODEL::BuildControls() {
  setObjectName(QStringLiteral("MODEL"));
  setWindowTitle(QStringLiteral("Модель ТОРВИН-Ц"));
  setFont(PixelFont(11));
  {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
  }
  // Client area of a 941 x 636 window with its frame and caption.
  resize(933, 602);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    QRect geo(QPoint(0, 0), QSize(941, 636));
    geo.moveCenter(s->availableGeometry().center());
    move(geo.topLeft());
  }

  // Created in focus order, so the focus chain starts as the window wants it.
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(496, 104, 433, 313);
  Memo1->setFont(PixelFont(13, true));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FillText(Memo1, kInfoBk);

  Vix_Tab = new QTableWidget(3, 4, this);
  Vix_Tab->setObjectName(QStringLiteral("Vix_Tab"));
  Vix_Tab->setGeometry(8, 152, 381, 105);
  Vix_Tab->setFont(PixelFont(13));
  FillText(Vix_Tab, kInfoBk);
  Vix_Tab->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Vix_Tab->setSelectionMode(QAbstractItemView::SingleSelection);
  Vix_Tab->verticalHeader()->hide();
  Vix_Tab->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Vix_Tab->verticalHeader()->setDefaultSectionSize(24);
  Vix_Tab->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Vix_Tab->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Vix_Tab->horizontalHeader()->setFixedHeight(24);
  Vix_Tab->horizontalHeader()->setFont(PixelFont(13));  // the fixed row has the grid's characters
  Vix_Tab->horizontalHeader()->setHighlightSections(false);
  const int widths[4] = {110, 108, 79, 76};
  for (int c = 0; c < 4; ++c) Vix_Tab->setColumnWidth(c, widths[c]);

  Oscill = new GlyphButton(QStringLiteral("Просмотр осциллограмы"), DrawPicture(Picture::Viewer), 3, this);
  Oscill->setObjectName(QStringLiteral("Oscill"));
  Oscill->setGeometry(12, 376, 185, 49);

  Pusk = new GlyphButton(QStringLiteral("         Запуск обработки    "), DrawPicture(Picture::Run), 4, this);
  Pusk->setObjectName(QStringLiteral("Pusk"));
  Pusk->setGeometry(12, 448, 185, 49);

  Save_M = new GlyphButton(QStringLiteral("Сохранить файл"), DrawPicture(Picture::Save), 4, this);
  Save_M->setObjectName(QStringLiteral("Save_M"));
  Save_M->setGeometry(692, 448, 153, 49);

  Exit = new GlyphButton(QString(), DrawPicture(Picture::Exit), 4, this);
  Exit->setObjectName(QStringLiteral("Exit"));
  Exit->setGeometry(876, 452, 41, 41);

  OP_Ust = new GlyphButton(QStringLiteral("  Открыть файл уставок   "), DrawPicture(Picture::Open), 4, this);
  OP_Ust->setObjectName(QStringLiteral("OP_Ust"));
  OP_Ust->setGeometry(236, 448, 185, 49);

  OP_Txt = new GlyphButton(QStringLiteral("Открыть файл обработки"), DrawPicture(Picture::OpenData), 4, this);
  OP_Txt->setObjectName(QStringLiteral("OP_Txt"));
  OP_Txt->setGeometry(436, 448, 185, 49);

  for (QPushButton* b : {Oscill, Pusk, Save_M, Exit, OP_Ust, OP_Txt}) {
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoDefault(false);
  }
  QWidget* order[] = {Memo1, Vix_Tab, Oscill, Pusk, Save_M, Exit, OP_Ust, OP_Txt};
  for (int i = 0; i + 1 < 8; ++i) setTabOrder(order[i], order[i + 1]);

  Panel1 = new QLabel(QStringLiteral("Модель ТОРВИН-Ц"), this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, 929, 77);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(1);
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setFont(PixelFont(27, false, kTitleFamilies));
  Fill(Panel1, kActiveBorder);
  {
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Panel1->setPalette(pal);
  }
  Image2 = new QLabel(Panel1);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setGeometry(4, 0, 77, 69);
  Image2->setScaledContents(true);
  Image2->setPixmap(DrawPicture(Picture::TitleLeft));
  Image1 = new QLabel(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(840, 0, 77, 69);
  Image1->setScaledContents(true);
  Image1->setPixmap(DrawPicture(Picture::TitleRight));

  L1 = new QLabel(this);
  L1->setObjectName(QStringLiteral("L1"));
  L1->setGeometry(144, 128, 381, 25);
  L1->setFont(PixelFont(13));
  L1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  L2 = new QLabel(this);
  L2->setObjectName(QStringLiteral("L2"));
  L2->setGeometry(496, 80, 317, 21);
  L2->setFont(PixelFont(13));
  L2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Fill(L2, kActiveBorder);

  L_Ust = new QLabel(this);
  L_Ust->setObjectName(QStringLiteral("L_Ust"));
  L_Ust->setGeometry(236, 424, 185, 21);
  L_Ust->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Fill(L_Ust, kSilver);

  L_Txt = new QLabel(this);
  L_Txt->setObjectName(QStringLiteral("L_Txt"));
  L_Txt->setGeometry(436, 424, 185, 21);
  L_Txt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Fill(L_Txt, kSilver);

  for (QLabel* l : {L1, L2, L_Ust, L_Txt}) l->setTextFormat(Qt::PlainText);

  L1->hide();
  Vix_Tab->hide();
  L2->hide();
  Memo1->hide();

  connect(Pusk, &QPushButton::clicked, this, &TMODEL::PuskClick);
  connect(Exit, &QPushButton::clicked, this, &TMODEL::ExitClick);
  connect(Save_M, &QPushButton::clicked, this, &TMODEL::Save_MClick);
  connect(OP_Ust, &QPushButton::clicked, this, &TMODEL::OP_UClick);
  connect(OP_Txt, &QPushButton::clicked, this, &TMODEL::OP_TClick);
  connect(Oscill, &QPushButton::clicked, this, &TMODEL::OscillClick);
}

void TMODEL::FormCreate() {
  d_.ProcessingOpened = false;
  d_.SettingsOpened = false;
  Save_M->hide();
}

void TMODEL::Warning(const std::string& textUtf8) { dialogs_->warning(this, QString::fromStdString(textUtf8)); }

void TMODEL::ShowError(const QString& text) { dialogs_->error(this, text); }

void TMODEL::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    ShowError(ErrorText(e.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unexpected error."));
  }
}

TMODEL::MemoText TMODEL::LoadForMemo(const QString& path) {
  // Only what the memo shows is read: a file of any size opens.
  const MemoExcerpt e = ReadMemoExcerpt(Enc(path), memoLimits_);
  MemoText m;
  m.text = FileBytesToMemoText(e.bytes);
  m.crlf = e.crlf;
  m.partial = e.partial();
  if (m.partial) {
    if (!m.text.isEmpty() && !m.text.endsWith(QLatin1Char('\n'))) m.text += QLatin1Char('\n');
    m.text += QString::fromStdString(MemoPartialNotice(e, memoLimits_));
  }
  return m;
}

void TMODEL::ShowMemo(const MemoText& memo, const QString& label) {
  Save_M->show();
  L2->show();
  Memo1->show();
  Memo1->setPlainText(memo.text);
  // A part of a file is shown to be read, not edited.
  Memo1->setReadOnly(memo.partial);
  memoCrlf_ = memo.crlf;
  memoPartial_ = memo.partial;
  L2->setText(label);
}

void TMODEL::OP_UClick() {
  Pusk->setEnabled(false);
  {
    SavedDirectory dir(d_);
    Guarded([&] {
      auto pick = dialogs_->openFile(this, QStringLiteral("Открытие файла уставок"), {QStringLiteral("Уставки(*.txt)")});
      if (!pick) return;
      EnterFolderOf(pick->path);
      // Loaded before anything changes, so a file that cannot be read leaves
      // the window and its state as they were.
      const MemoText memo = LoadForMemo(pick->path);
      d_.SettingsFileName = Enc(pick->path);
      ShowMemo(memo, pick->path);
      d_.ShortFileName = d_.SettingsFileName;
      StripDirectory(d_);
      d_.SettingsOpened = true;
      d_.LastOpened = 1;
      L_Ust->setText(Dec(d_.ShortFileName));
    });
  }
  Pusk->setEnabled(true);
}

void TMODEL::OP_TClick() {
  Pusk->setEnabled(false);
  {
    SavedDirectory dir(d_);
    Guarded([&] {
      auto pick = dialogs_->openFile(this, QStringLiteral("Открытие файла обработки"),
                                     {QStringLiteral("Текстовые(*.txt)"), QStringLiteral("Экспон.(*.exp)")});
      if (!pick) return;
      EnterFolderOf(pick->path);
      if (pick->filterIndex == 2)
        OpenExpFile(pick->path);
      else
        OpenTextFile(pick->path);
    });
  }
  Pusk->setEnabled(true);
}

void TMODEL::OpenTextFile(const QString& path) {
  const MemoText memo = LoadForMemo(path);
  d_.ProcessingFileName = Enc(path);
  d_.ShortFileName = d_.ProcessingFileName;
  StripDirectory(d_);
  ShowMemo(memo, Dec(d_.ShortFileName));
  d_.ProcessingOpened = true;
  d_.LastOpened = 2;
  L_Txt->setText(Dec(d_.ShortFileName));
}

void TMODEL::OpenExpFile(const QString& path) {
  // The converter reads the chosen file by its bare name in its own folder
  // (the current directory now) and writes the processing file beside it.
  const std::string previous = d_.ProcessingFileName;
  d_.ProcessingFileName = Enc(path);
  d_.ShortFileName = d_.ProcessingFileName;
  StripDirectory(d_);
  bool converted = false;
  std::string output;
  try {
    converted = convert_(d_, &output);
  } catch (...) {
    d_.ProcessingFileName = previous;
    throw;
  }
  if (!converted) {
    // The converter has shown its one warning; nothing more to say.
    d_.ProcessingFileName = previous;
    return;
  }
  // The run must read this very file, not one of the same name elsewhere.
  const QString bare = Dec(d_.BaseName);
  const QString full = output.empty() ? QDir::current().absoluteFilePath(bare) : Dec(output);
  MemoText memo;
  try {
    memo = LoadForMemo(full);
  } catch (...) {
    d_.ProcessingFileName = previous;
    throw;
  }
  ShowMemo(memo, bare);
  d_.ProcessingOpened = true;
  d_.LastOpened = 2;
  L_Txt->setText(bare);
  d_.ProcessingFileName = Enc(full);
}

void TMODEL::Save_MClick() {
  {
    SavedDirectory dir(d_);
    bool keepMemo = false;
    Guarded([&] {
      const bool settings = d_.LastOpened == 1;
      if (memoPartial_) {
        // Saving the part on show would replace the whole file by it.
        Warning("Файл показан в окне не полностью: сохранение заменило бы его началом файла. Файл не сохранён.");
        return;
      }
      const QString preset = Dec(settings ? d_.SettingsFileName : d_.ProcessingFileName);
      auto name = dialogs_->saveFile(this, settings ? QStringLiteral("Сохранение файла уставок") : QString(),
                                     {QStringLiteral("Текст(*.txt)")}, preset);
      if (!name) return;
      EnterFolderOf(*name);
      QString target = *name;
      if (!EndsInTxt(target)) target += QStringLiteral(".txt");
      QString raw = Memo1->document()->toRawText();
      raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
      raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
      try {
        // Written whole under a temporary name first: a failed save leaves
        // the old file as it was.
        WriteFileAtomically(Enc(target), MemoTextToFileBytes(raw, memoCrlf_));
      } catch (...) {
        // The unsaved text stays on screen for another try.
        keepMemo = true;
        throw;
      }
      std::string& fileName = settings ? d_.SettingsFileName : d_.ProcessingFileName;
      fileName = Enc(target);
      d_.ShortFileName = fileName;
      StripDirectory(d_);
      (settings ? L_Ust : L_Txt)->setText(Dec(d_.ShortFileName));
    });
    if (!keepMemo) {
      Memo1->hide();
      Save_M->hide();
      L2->hide();
    }
  }
  Pusk->setEnabled(true);
  Oscill->setEnabled(true);
}

void TMODEL::ShowResultsGrid() {
  const ResultsTable& t = d_.results;
  L1->setText(QString::fromStdString(t.title));
  const int dataRows = std::max(3, static_cast<int>(t.cells.size()) - 1);
  QStringList header;
  for (int c = 0; c < 4; ++c) header << (t.cells.empty() ? QString() : QString::fromStdString(t.cells[0][c]));
  Vix_Tab->setHorizontalHeaderLabels(header);
  Vix_Tab->setRowCount(dataRows);
  for (int r = 0; r < dataRows; ++r) {
    for (int c = 0; c < 4; ++c) {
      const std::size_t row = static_cast<std::size_t>(r) + 1;
      const QString text = row < t.cells.size() ? QString::fromStdString(t.cells[row][c]) : QString();
      QTableWidgetItem* item = Vix_Tab->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        Vix_Tab->setItem(r, c, item);
      }
      item->setText(text);
    }
  }
  Vix_Tab->scrollToTop();
}

void TMODEL::PuskClick() {
  const QString caption = QStringLiteral("Ошибка ");
  if (!d_.SettingsOpened) {
    dialogs_->information(caption, QStringLiteral("Не открыт файл уставок !"));
    return;
  }
  if (!d_.ProcessingOpened) {
    dialogs_->information(caption, QStringLiteral("Не открыт файл обработки !"));
    return;
  }
  Save_M->hide();
  Memo1->hide();
  L2->hide();
  L1->setText(QString());
  Pusk->setEnabled(false);
  L1->hide();
  Vix_Tab->hide();
  d_.RunStatus = 1;
  bool failed = false;
  Guarded([&] {
    try {
      InitResultsGrid(d_);
      run_(d_);
    } catch (...) {
      failed = true;
      throw;
    }
  });
  ShowResultsGrid();
  if (!failed && d_.RunStatus == 0) {
    Vix_Tab->show();
    L1->show();
  }
  Pusk->setEnabled(true);
}

void TMODEL::OscillClick() {
  Guarded([&] {
    // The viewer installed beside this program first, then any on the PATH.
    const QString own = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vistrel"));
    if (!dialogs_->startDetached(own)) dialogs_->startDetached(QStringLiteral("vistrel"));
  });
}

void TMODEL::ExitClick() { close(); }

}  // namespace kv
