#pragma once

#include <QDialog>
#include <QImage>

#include "glyphant/print_job.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class SheetsView;

// The print preview: the canvas laid out on the printer's paper as one sheet
// or as a poster over many, the sheets and their count shown before anything
// is printed. The paper and its orientation are the printer's own settings,
// changed here or in the printer's dialog; "打印…" opens that dialog (a
// queue, or a PDF file) and accepts the preview when the user prints. The
// choices, the printer and its paper are kept for the next time.
class PrintPreview : public QDialog {
  Q_OBJECT

 public:
  PrintPreview(const PrintSource& source, QPrinter& printer, QWidget* parent = nullptr);

  PrintSettings settings() const;
  // The sheets for the printer's paper as it is now.
  poster::Layout layout() const;

  // The controls, named for users and tests.
  QRadioButton *oneSheet = nullptr, *poster = nullptr;
  QComboBox* sizeKind = nullptr;  // the entries of PrintSettings::Size, in its order
  QDoubleSpinBox* widthCm = nullptr;
  QSpinBox *sheetsAcross = nullptr, *sheetsDown = nullptr;
  QLabel* times = nullptr;  // "×" between the two counts of sheets
  QDoubleSpinBox* percent = nullptr;
  QCheckBox* centred = nullptr;
  QDoubleSpinBox* overlapMm = nullptr;
  QComboBox *paper = nullptr, *orientation = nullptr;  // the printer's
  QDoubleSpinBox* margins[4] = {};                     // the printer's: left, top, right, bottom
  QLabel* summary = nullptr;                           // the count of sheets, or why there are none
  QLabel* notice = nullptr;    // shown when the canvas is printed from its pixels, and why
  SheetsView* view = nullptr;  // the sheets as they are put together
  QPushButton *printButton = nullptr, *cancelButton = nullptr;

 protected:
  void done(int result) override;

 private:
  void buildControls();
  void showChoices(const PrintSettings& chosen);
  void fillPaperList();
  void showPrinterPaper();
  void changed();
  void openPrintDialog();

  const PrintSource& source_;
  const QImage& picture_;  // the canvas's pixels
  QPrinter& printer_;
};

// "打 印": the preview over `canvas`, then the sheets chosen there with a
// progress dialog that can cancel; errors in a message box. The canvas is
// only read.
void printCanvas(QWidget* parent, const PrintSource& canvas);
