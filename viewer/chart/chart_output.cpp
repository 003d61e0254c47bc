#include "viewer/chart/chart_output.h"

#include <QBuffer>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include "viewer/chart/chart.h"

namespace kv {

namespace {
constexpr double kScreenDpi = 96;  // a chart pixel on the screen, as export takes it
}  // namespace

void PrintChart(Chart& chart, QPaintDevice& page) {
  QPainter p;
  if (!p.begin(&page)) return;
  const QSize size = chart.size().expandedTo(QSize(1, 1));
  const QRect area = p.viewport();
  const double k = std::min(static_cast<double>(area.width()) / size.width(), static_cast<double>(area.height()) / size.height());
  p.translate(area.left() + (area.width() - size.width() * k) / 2, area.top());
  p.scale(k, k);
  // A chart pixel is k device pixels here, a screen pixel dpi / 96.
  RenderOptions look;
  if (k > 0 && page.logicalDpiX() > 0) look.dashScale = page.logicalDpiX() / kScreenDpi / k;
  look.flatDashEnds = true;
  chart.Render(p, size, look);
  p.end();
}

void ShowChartPrintPreview(Chart& chart, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintPreviewDialog dlg(&printer, parent);
  QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&chart](QPrinter* pr) { PrintChart(chart, *pr); });
  dlg.exec();
}

namespace {

// The chart as bytes of the chosen format, at the chart's own size.
bool Encode(Chart& chart, ExportFormat format, QIODevice& out) {
  const QSize size = chart.size().expandedTo(QSize(1, 1));
  switch (format) {
    case ExportFormat::Png: {
      QImage img(size, QImage::Format_RGB32);
      QPainter p(&img);
      chart.Render(p, size);
      p.end();
      return img.save(&out, "PNG");
    }
    case ExportFormat::Svg: {
      QSvgGenerator gen;
      gen.setOutputDevice(&out);
      gen.setSize(size);
      gen.setViewBox(QRect(QPoint(0, 0), size));
      gen.setResolution(96);
      QPainter p;
      if (!p.begin(&gen)) return false;
      chart.Render(p, size);
      return p.end();
    }
    case ExportFormat::Pdf: {
      // One page of the chart's size, one pixel = 1/96 inch.
      QPdfWriter pdf(&out);
      pdf.setResolution(96);
      pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96), QPageSize::Point),
                                    QPageLayout::Portrait, QMarginsF()));
      QPainter p;
      if (!p.begin(&pdf)) return false;
      RenderOptions look;
      look.flatDashEnds = true;
      chart.Render(p, size, look);
      return p.end();
    }
  }
  return false;
}

}  // namespace

bool ExportChart(Chart& chart, const ExportRequest& request, QString* error) {
  auto fail = [&](const QString& text) {
    if (error) *error = text;
    return false;
  };
  if (request.toClipboard) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    if (!Encode(chart, request.format, buf)) return fail(QStringLiteral("Не удалось подготовить рисунок."));
    auto* mime = new QMimeData;
    if (request.format == ExportFormat::Png) {
      mime->setImageData(QImage::fromData(buf.data(), "PNG"));
    } else {
      mime->setData(request.format == ExportFormat::Svg ? QStringLiteral("image/svg+xml") : QStringLiteral("application/pdf"),
                    buf.data());
    }
    QGuiApplication::clipboard()->setMimeData(mime);
    return true;
  }
  if (request.fileName.isEmpty()) return fail(QStringLiteral("Не указано имя файла."));
  QSaveFile file(request.fileName);  // the old file stays until the new one is complete
  if (!file.open(QIODevice::WriteOnly))
    return fail(QStringLiteral("Не удалось создать файл %1:\n%2").arg(request.fileName, file.errorString()));
  if (!Encode(chart, request.format, file)) {
    file.cancelWriting();
    return fail(QStringLiteral("Не удалось записать файл %1.").arg(request.fileName));
  }
  if (!file.commit()) return fail(QStringLiteral("Не удалось записать файл %1:\n%2").arg(request.fileName, file.errorString()));
  return true;
}

bool RunChartExport(Chart& chart, QWidget* parent, ChartExportUi& ui) {
  ExportRequest req;
  if (!ui.Ask(parent, req)) return false;
  QString error;
  if (ExportChart(chart, req, &error)) return true;
  ui.ShowError(parent, error);
  return false;
}

namespace {

const char* Suffix(ExportFormat f) { return f == ExportFormat::Png ? "png" : f == ExportFormat::Svg ? "svg" : "pdf"; }

}  // namespace

bool ChartExportDialogUi::Ask(QWidget* parent, ExportRequest& request) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("ChartExportDialog"));
  dlg.setWindowTitle(QStringLiteral("Экспорт графика"));
  auto* formats = new QGroupBox(QStringLiteral("Формат"));
  auto* png = new QRadioButton(QStringLiteral("Рисунок PNG"));
  auto* svg = new QRadioButton(QStringLiteral("Векторный рисунок SVG"));
  auto* pdf = new QRadioButton(QStringLiteral("Документ PDF"));
  png->setChecked(true);
  auto* fl = new QVBoxLayout(formats);
  fl->addWidget(png);
  fl->addWidget(svg);
  fl->addWidget(pdf);
  auto* dest = new QGroupBox(QStringLiteral("Куда"));
  auto* toFile = new QRadioButton(QStringLiteral("В файл:"));
  auto* toClip = new QRadioButton(QStringLiteral("В буфер обмена"));
  toFile->setChecked(true);
  auto* name = new QLineEdit;
  name->setObjectName(QStringLiteral("FileNameEdit"));
  auto* browse = new QPushButton(QStringLiteral("Обзор..."));
  auto* dl = new QGridLayout(dest);
  dl->addWidget(toFile, 0, 0);
  dl->addWidget(name, 0, 1);
  dl->addWidget(browse, 0, 2);
  dl->addWidget(toClip, 1, 0, 1, 3);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("Сохранить"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  auto* top = new QVBoxLayout(&dlg);
  top->addWidget(formats);
  top->addWidget(dest);
  top->addWidget(buttons);

  auto format = [&] { return png->isChecked() ? ExportFormat::Png : svg->isChecked() ? ExportFormat::Svg : ExportFormat::Pdf; };
  // The file name follows the chosen format's extension.
  auto fixSuffix = [&] {
    QString n = name->text();
    if (n.isEmpty()) return;
    QFileInfo fi(n);
    name->setText(fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') + QLatin1String(Suffix(format())));
  };
  for (auto* b : {png, svg, pdf}) QObject::connect(b, &QRadioButton::toggled, &dlg, [&](bool on) { if (on) fixSuffix(); });
  QObject::connect(toFile, &QRadioButton::toggled, &dlg, [&](bool on) {
    name->setEnabled(on);
    browse->setEnabled(on);
  });
  QObject::connect(browse, &QPushButton::clicked, &dlg, [&] {
    const QString suffix = QLatin1String(Suffix(format()));
    QString n = QFileDialog::getSaveFileName(&dlg, QStringLiteral("Сохранить график"), name->text(),
                                             QStringLiteral("*.%1").arg(suffix));
    if (n.isEmpty()) return;
    if (QFileInfo(n).suffix().isEmpty()) n += QLatin1Char('.') + suffix;
    name->setText(n);
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
    if (toFile->isChecked() && name->text().trimmed().isEmpty()) {
      QMessageBox::warning(&dlg, dlg.windowTitle(), QStringLiteral("Не указано имя файла."));
      return;
    }
    dlg.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  if (dlg.exec() != QDialog::Accepted) return false;
  request.format = format();
  request.toClipboard = toClip->isChecked();
  request.fileName = name->text().trimmed();
  return true;
}

void ChartExportDialogUi::ShowError(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QStringLiteral("Экспорт графика"), text);
}

}  // namespace kv
