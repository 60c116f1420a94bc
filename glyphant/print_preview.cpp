#include "glyphant/print_preview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "common/dialogs.h"
#include "glyphant/print_memory.h"
#include "glyphant/sheets_view.h"
#include "glyphant/window_style.h"

namespace {

constexpr double kMaxWidthCm = 100000;  // a kilometre: the sheet limit stops it long before
constexpr int kMaxSheetsAcross = 100;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QString cm(double mm) { return QString::number(mm / 10, 'f', 1); }

// The name people know a paper by: Qt adds the ANSI name to a few US sizes
// ("Letter / ANSI A").
QString commonName(const QPageSize& size) {
  return size.name().section(QStringLiteral(" / "), 0, 0);
}

}  // namespace

PrintPreview::PrintPreview(const PrintSource& source, QPrinter& printer, QWidget* parent)
    : QDialog(parent), source_(source), picture_(source.pixels), printer_(printer) {
  setObjectName("PrintPreview");
  setWindowTitle(tr("打印预览"));
  print_memory::restorePrinter(printer_);
  buildControls();
  showChoices(print_memory::restoreChoices(settings()));
  changed();
  resize(900, 700);
}

void PrintPreview::buildControls() {
  oneSheet = named(new QRadioButton(tr("单张纸"), this), "oneSheet");
  oneSheet->setToolTip(tr("整个画布缩放到一张纸上，居中，保持比例"));
  poster = named(new QRadioButton(tr("海报"), this), "poster");
  poster->setToolTip(tr("按实际尺寸分成多张纸打印，裁切后拼贴成一张"));
  oneSheet->setChecked(true);  // the choices last made are shown once all are built

  sizeKind = named(new QComboBox(this), "sizeKind");
  sizeKind->addItems({tr("实际大小（每英寸 96 像素）"), tr("宽度（厘米）"), tr("横向张数"),
                      tr("纵向张数"), tr("横 × 纵张数（适合整张纸）"), tr("缩放比例")});
  sizeKind->setToolTip(tr("海报的大小：实际大小、宽度、占用的张数或缩放比例"));
  const QSizeF trueSize = poster::trueSizeMm(picture_.size());
  widthCm = named(new QDoubleSpinBox(this), "widthCm");
  widthCm->setRange(1, kMaxWidthCm);
  widthCm->setDecimals(1);
  widthCm->setSuffix(tr(" 厘米"));
  widthCm->setValue(std::max(1.0, std::round(trueSize.width()) / 10));
  sheetsAcross = named(new QSpinBox(this), "sheetsAcross");
  sheetsAcross->setRange(1, kMaxSheetsAcross);
  sheetsAcross->setSuffix(tr(" 张"));
  // As many sheets across as the true size takes.
  const poster::Layout atTrueSize =
      print_job::layoutFor(picture_.size(), {PrintSettings::Mode::Poster}, printer_.pageLayout());
  sheetsAcross->setValue(std::max(1, atTrueSize.columns));
  sheetsDown = named(new QSpinBox(this), "sheetsDown");
  sheetsDown->setRange(1, kMaxSheetsAcross);
  sheetsDown->setSuffix(tr(" 张"));
  sheetsDown->setValue(std::max(1, atTrueSize.rows));
  times = named(new QLabel(tr("×"), this), "times");
  percent = named(new QDoubleSpinBox(this), "percent");
  percent->setRange(1, 10000);
  percent->setDecimals(0);
  percent->setSuffix(tr(" %"));
  percent->setValue(100);
  centred = named(new QCheckBox(tr("居中"), this), "centred");
  centred->setToolTip(tr("海报放在所用纸张的正中，空白平分在两边"));
  overlapMm = named(new QDoubleSpinBox(this), "overlapMm");
  overlapMm->setRange(0, 100);
  overlapMm->setDecimals(1);
  overlapMm->setSuffix(tr(" 毫米"));
  overlapMm->setValue(poster::kDefaultOverlapMm);
  overlapMm->setToolTip(tr("相邻两张纸重复打印的宽度，用来对齐和粘贴"));
  paper = named(new QComboBox(this), "paper");
  orientation = named(new QComboBox(this), "orientation");
  orientation->addItems({tr("纵向"), tr("横向")});
  fillPaperList();
  // The paper's borders, in the order the printer's margins are given.
  const char* sideNames[] = {"marginLeft", "marginTop", "marginRight", "marginBottom"};
  for (int side = 0; side < 4; ++side) {
    margins[side] = named(new QDoubleSpinBox(this), sideNames[side]);
    margins[side]->setDecimals(1);
    margins[side]->setSuffix(tr(" 毫米"));
    margins[side]->setToolTip(tr("纸边不打印的宽度；不能小于打印机所需的"));
  }

  view = named(new SheetsView(source_, this), "view");
  summary = named(new QLabel(this), "summary");
  notice = named(new QLabel(this), "notice");
  notice->setWordWrap(true);
  notice->setText(
      tr("无法按原样重绘，按画布的像素打印：%1。").arg(source_.drawings.unreplayable()));
  notice->setVisible(!source_.drawn());
  printButton = named(new QPushButton(tr("打印…"), this), "printButton");
  printButton->setDefault(true);
  cancelButton = named(new QPushButton(tr("取消"), this), "cancelButton");

  auto* choices = new QHBoxLayout;
  choices->addWidget(oneSheet);
  choices->addWidget(poster);
  choices->addSpacing(12);
  choices->addWidget(sizeKind);
  choices->addWidget(widthCm);
  choices->addWidget(sheetsAcross);
  choices->addWidget(times);
  choices->addWidget(sheetsDown);
  choices->addWidget(percent);
  choices->addWidget(centred);
  choices->addSpacing(12);
  choices->addWidget(new QLabel(tr("重叠"), this));
  choices->addWidget(overlapMm);
  choices->addStretch();
  auto* sheet = new QHBoxLayout;
  sheet->addWidget(paper);
  sheet->addWidget(orientation);
  sheet->addSpacing(12);
  sheet->addWidget(new QLabel(tr("边距："), this));
  const QString sideCaptions[] = {tr("左"), tr("上"), tr("右"), tr("下")};
  for (const int side : {1, 3, 0, 2}) {  // top, bottom, left, right, as printers' dialogs list them
    sheet->addWidget(new QLabel(sideCaptions[side], this));
    sheet->addWidget(margins[side]);
  }
  sheet->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(summary, 1);
  buttons->addWidget(printButton);
  buttons->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addLayout(sheet);
  layout->addWidget(view, 1);
  layout->addWidget(notice);
  layout->addLayout(buttons);

  connect(oneSheet, &QRadioButton::toggled, this, [this] { changed(); });
  connect(sizeKind, &QComboBox::currentIndexChanged, this, [this] { changed(); });
  connect(widthCm, &QDoubleSpinBox::valueChanged, this, [this] { changed(); });
  connect(sheetsAcross, &QSpinBox::valueChanged, this, [this] { changed(); });
  connect(sheetsDown, &QSpinBox::valueChanged, this, [this] { changed(); });
  connect(percent, &QDoubleSpinBox::valueChanged, this, [this] { changed(); });
  connect(centred, &QCheckBox::toggled, this, [this] { changed(); });
  connect(overlapMm, &QDoubleSpinBox::valueChanged, this, [this] { changed(); });
  connect(paper, &QComboBox::activated, this, [this](int entry) {
    printer_.setPageSize(QPageSize(QPageSize::PageSizeId(paper->itemData(entry).toInt())));
    changed();
  });
  connect(orientation, &QComboBox::activated, this, [this](int entry) {
    printer_.setPageOrientation(entry == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    changed();
  });
  for (QDoubleSpinBox* side : margins)
    connect(side, &QDoubleSpinBox::valueChanged, this, [this] {
      printer_.setPageMargins(QMarginsF(margins[0]->value(), margins[1]->value(),
                                        margins[2]->value(), margins[3]->value()),
                              QPageLayout::Millimeter);
      changed();
    });
  connect(printButton, &QPushButton::clicked, this, [this] { openPrintDialog(); });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

PrintSettings PrintPreview::settings() const {
  PrintSettings chosen;
  chosen.mode = poster->isChecked() ? PrintSettings::Mode::Poster : PrintSettings::Mode::OneSheet;
  chosen.size = PrintSettings::Size(sizeKind->currentIndex());
  chosen.widthCm = widthCm->value();
  chosen.sheetsAcross = sheetsAcross->value();
  chosen.sheetsDown = sheetsDown->value();
  chosen.percent = percent->value();
  chosen.overlapMm = overlapMm->value();
  chosen.centred = centred->isChecked();
  return chosen;
}

poster::Layout PrintPreview::layout() const {
  return print_job::layoutFor(picture_.size(), settings(), printer_.pageLayout());
}

void PrintPreview::showChoices(const PrintSettings& chosen) {
  (chosen.mode == PrintSettings::Mode::Poster ? poster : oneSheet)->setChecked(true);
  sizeKind->setCurrentIndex(int(chosen.size));
  widthCm->setValue(chosen.widthCm);
  sheetsAcross->setValue(chosen.sheetsAcross);
  sheetsDown->setValue(chosen.sheetsDown);
  percent->setValue(chosen.percent);
  overlapMm->setValue(chosen.overlapMm);
  centred->setChecked(chosen.centred);
}

void PrintPreview::done(int result) {
  // Kept however the preview closes: after the printer's dialog, with what was chosen there.
  print_memory::remember(printer_, settings());
  QDialog::done(result);
}

void PrintPreview::changed() {
  const PrintSettings chosen = settings();
  const bool isPoster = chosen.mode == PrintSettings::Mode::Poster;
  for (QWidget* control : std::initializer_list<QWidget*>{sizeKind, overlapMm, centred})
    control->setEnabled(isPoster);
  using Size = PrintSettings::Size;
  const auto shownFor = [&](std::initializer_list<Size> sizes) {
    return isPoster && std::find(sizes.begin(), sizes.end(), chosen.size) != sizes.end();
  };
  widthCm->setVisible(shownFor({Size::WidthCm}));
  sheetsAcross->setVisible(shownFor({Size::SheetsAcross, Size::SheetsFit}));
  times->setVisible(shownFor({Size::SheetsFit}));
  sheetsDown->setVisible(shownFor({Size::SheetsDown, Size::SheetsFit}));
  percent->setVisible(shownFor({Size::Percent}));

  showPrinterPaper();
  const poster::Layout sheets = layout();
  const QPageLayout page = printer_.pageLayout();
  const QString paperName =
      commonName(page.pageSize()) +
      (page.orientation() == QPageLayout::Portrait ? tr(" 纵向") : tr(" 横向"));
  switch (sheets.problem) {
    case poster::Problem::None: {
      // The printed size of the whole picture, from the sheets' scale.
      const poster::Sheet& first = sheets.sheets.front();
      const double mmPerPixel = first.place.width() / first.source.width();
      const QString size =
          tr("%1 × %2 厘米")
              .arg(cm(picture_.width() * mmPerPixel), cm(picture_.height() * mmPerPixel));
      summary->setText(isPoster ? tr("共 %1 张（%2 行 × %3 列），%4，海报 %5")
                                      .arg(sheets.sheets.size())
                                      .arg(sheets.rows)
                                      .arg(sheets.columns)
                                      .arg(paperName, size)
                                : tr("1 张，%1，图像 %2").arg(paperName, size));
      break;
    }
    case poster::Problem::EmptyPicture:
      summary->setText(tr("画布是空的，没有可打印的内容。"));
      break;
    case poster::Problem::NoRoom:
      summary->setText(tr("%1 的可打印区域太小。").arg(paperName));
      break;
    case poster::Problem::OverlapTooLarge:
      summary->setText(tr("重叠太大：须小于每张纸上的图像部分。"));
      break;
    case poster::Problem::TooManySheets:
      summary->setText(tr("需要超过 %1 张纸，请把海报改小。").arg(poster::kMaxSheets));
      break;
  }
  printButton->setEnabled(sheets.problem == poster::Problem::None);
  view->setSheets(sheets, page);
}

void PrintPreview::fillPaperList() {
  // The printer's own sizes; Qt's PDF output takes any, of which the usual.
  QList<QPageSize> sizes;
  if (printer_.outputFormat() == QPrinter::NativeFormat)
    sizes = QPrinterInfo(printer_).supportedPageSizes();
  if (sizes.isEmpty())
    for (const QPageSize::PageSizeId id :
         {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::Letter,
          QPageSize::Legal, QPageSize::Tabloid})
      sizes << QPageSize(id);
  paper->clear();
  for (const QPageSize& size : sizes)
    if (size.id() != QPageSize::Custom) paper->addItem(commonName(size), int(size.id()));
}

void PrintPreview::showPrinterPaper() {
  const QPageLayout page = printer_.pageLayout();
  const int entry = paper->findData(int(page.pageSize().id()));
  if (entry < 0) paper->addItem(commonName(page.pageSize()), int(page.pageSize().id()));
  paper->setCurrentIndex(entry < 0 ? paper->count() - 1 : entry);
  orientation->setCurrentIndex(page.orientation() == QPageLayout::Portrait ? 0 : 1);
  // The printer's margins as they are, unless the fields already show them
  // to their tenth of a millimetre: a field typed in stays as typed.
  QPageLayout inMm = page;
  inMm.setUnits(QPageLayout::Millimeter);
  const QMarginsF now = inMm.margins(), least = inMm.minimumMargins();
  const double shown[] = {now.left(), now.top(), now.right(), now.bottom()};
  const double fewest[] = {least.left(), least.top(), least.right(), least.bottom()};
  for (int side = 0; side < 4; ++side) {
    const QSignalBlocker quiet(margins[side]);
    margins[side]->setRange(std::ceil(fewest[side] * 10) / 10, 100);
    if (std::abs(margins[side]->value() - shown[side]) >= 0.05)
      margins[side]->setValue(shown[side]);
  }
}

void PrintPreview::openPrintDialog() {
  QPrintDialog dialog(&printer_, this);
  // Every sheet of the layout is printed: no page ranges.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                    QAbstractPrintDialog::PrintCollateCopies);
  if (dialogBackend().runDialog(dialog)) accept();
}

void printCanvas(QWidget* parent, const PrintSource& canvas) {
  const QString caption = QString::fromLatin1(window_style::kCaption);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(caption);
  printer.setCreator(caption);
  PrintPreview preview(canvas, printer, parent);
  if (!dialogBackend().runDialog(preview)) return;
  // The printer's dialog may have changed the paper since the preview.
  const poster::Layout sheets = preview.layout();
  if (sheets.problem != poster::Problem::None) {
    MsgBox(parent, preview.summary->text(), caption, MessageRequest::Icon::Warning);
    return;
  }
  const int total = int(sheets.sheets.size());
  QProgressDialog progress(PrintPreview::tr("正在打印…"), PrintPreview::tr("取消"), 0, total,
                           parent);
  progress.setObjectName("printProgress");
  progress.setWindowTitle(caption);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  // A Cancel pressed at the last sheet still counts.
  progress.setAutoReset(false);
  progress.show();
  const print_job::Result result =
      print_job::print(printer, canvas, sheets, [&progress](int done, int all) {
        progress.setLabelText(
            done < all ? PrintPreview::tr("正在打印第 %1 张，共 %2 张…").arg(done + 1).arg(all)
                       : PrintPreview::tr("正在送出打印任务…"));
        progress.setValue(done);
        QCoreApplication::processEvents();  // the dialog is window-modal: only Cancel gets through
        return !progress.wasCanceled();
      });
  progress.close();
  if (result.outcome == print_job::Outcome::Failed)
    MsgBox(parent, PrintPreview::tr("无法打印：\n%1").arg(result.error), caption,
           MessageRequest::Icon::Warning);
}
