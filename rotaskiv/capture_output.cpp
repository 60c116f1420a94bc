// The capture window's ways out: the clipboard and image files.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QStandardPaths>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/picture_saver.h"

namespace {

const char* const kSaveFilter =
    "PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|*.bmp|GIF文件(*.gif)|*.gif|"
    "TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*";
constexpr int kJpegQuality = 80;
constexpr int kTiffColourDepth = 24;
constexpr int kTiffNoCompression = 6;

// The program's folder when it can be written to; a program installed for
// the whole system cannot save beside itself, so then the user's pictures.
QString saveFolder() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  if (QFileInfo(programFolder).isWritable()) return programFolder;
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QDir().mkpath(pictures)) return pictures;
  return QDir::homePath();
}

}  // namespace

QRect CaptureForm::selectionPixels() const {
  const int left = numbers::roundHalfEven32(selection_.left);
  const int top = numbers::roundHalfEven32(selection_.top);
  const int right = numbers::roundHalfEven32(selection_.left + selection_.width);
  const int bottom = numbers::roundHalfEven32(selection_.top + selection_.height);
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool CaptureForm::ScrnCap(int x1, int y1, int x2, int y2) {
  Shape1->hide();
  LblPos->hide();
  lblInfo->hide();
  for (ResizeHandle* handle : Image1) handle->hide();
  QCoreApplication::processEvents();
  if (x2 <= x1 || y2 <= y1) return false;  // an empty selection copies nothing

  // The frozen screen with its annotations, at the screen's full resolution.
  const qreal dpr = committed_.devicePixelRatio();
  const QRect device = QRect(QPoint(qRound(x1 * dpr), qRound(y1 * dpr)),
                             QSize(qRound((x2 - x1) * dpr), qRound((y2 - y1) * dpr)))
                           .intersected(committed_.rect());
  if (device.isEmpty()) return false;
  QImage picture = committed_.copy(device);
  picture.setDevicePixelRatio(1);

  // As an image and as explicit PNG data, so X11 and Wayland clients alike
  // can paste it.
  auto* data = new QMimeData;
  data->setImageData(picture);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (picture.save(&buffer, "PNG")) data->setData(QStringLiteral("image/png"), png);
  QGuiApplication::clipboard()->setMimeData(data);
  return true;
}

void CaptureForm::hideForCopy() {
  Picture1->hide();
  Picture2->hide();
  QCoreApplication::processEvents();
  Shape1->hide();
}

void CaptureForm::copyAndExit() {
  hideForCopy();
  const QRect r = selectionPixels();
  ScrnCap(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
  close();
}

void CaptureForm::save() {
  const bool panelWasShowing = Picture2->isVisible();
  hideForCopy();
  const QRect r = selectionPixels();
  const bool copied = ScrnCap(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
  Picture1->show();
  if (panelWasShowing) Picture2->show();
  Shape1->show();
  if (copied) CutdSave();  // an empty selection has nothing to save
  close();
}

void CaptureForm::CutdSave() {
  CommonDialog dialog;
  dialog.DialogTitle = QStringLiteral("保存为");
  dialog.Filter = QString::fromUtf8(kSaveFilter);
  dialog.FilterIndex = 1;
  dialog.DefaultExt = QStringLiteral("PNG");
  dialog.InitDir = saveFolder();
  dialog.OverwritePrompt = false;
  // Over the frozen screen, so the dialog is not hidden behind it.
  if (!dialog.ShowSave(this)) return;  // the clipboard keeps the copy

  const QString fileName = dialog.FileName;
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? fileName : fileName.mid(dot + 1);
  // A picture that vanished from the clipboard is reported by the saver.
  const QImage picture = QGuiApplication::clipboard()->image();
  ModSavePic::SavePicToFile(picture, fileName, extension, kJpegQuality, kTiffColourDepth,
                            kTiffNoCompression, this);
  QGuiApplication::clipboard()->clear();
}
