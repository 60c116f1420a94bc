// The capture window's ways out: the clipboard and image files.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>

#include "common/dialogs.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/capture_save.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/clipboard_keeper.h"
#include "rotaskiv/command_capture.h"
#include "rotaskiv/picture_saver.h"
#include "rotaskiv/pin_window.h"

namespace {

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

bool CaptureForm::ScrnCap(int x1, int y1, int x2, int y2) {
  return ScrnCap(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

bool CaptureForm::ScrnCap(const QRect& rectangle) {
  return copyDevicePixels(capture::devicePixels(rectangle, session_.picture().devicePixelRatio()));
}

bool CaptureForm::copyDevicePixels(const QRect& devicePixels) {
  Shape1->hide();
  LblPos->hide();
  lblInfo->hide();
  for (ResizeHandle* handle : Image1) handle->hide();

  // The frozen screen with its annotations, at the screen's full resolution:
  // nothing that covers the selection on screen (toolbar, panel, frame, the
  // loupe) can get into the copy, so there is nothing to hide first and wait
  // for. The rectangle is in the device pixels of the selection's screen.
  const QImage& committed = session_.picture();
  if (devicePixels.isEmpty()) return false;  // an empty selection copies nothing
  const QRect device = devicePixels.intersected(committed.rect());
  if (device.isEmpty()) return false;
  QImage picture = committed.copy(device);
  picture.setDevicePixelRatio(1);

  clipboard_keeper::copy(picture);
  return true;
}

// Text typed into the box but not yet placed by a second click is part of
// what the user sees: it goes into the picture first, exactly as that click
// would have written it.
bool CaptureForm::copySelection() {
  if (!copyDevicePixels(finishedSelection())) return false;
  // For a capture of the same part of the desktop from the command line.
  const capture::Selection s = machine_->selection();
  rememberCaptureRegion(QRectF(s.left, s.top, s.width, s.height).toAlignedRect());
  return true;
}

QRect CaptureForm::finishedSelection() {
  if (session_.textPending()) {
    prepareTextBox();
    writeText();
  }
  return capture::selectionDevicePixels(selectionOnScreen(), session_.picture().devicePixelRatio());
}

void CaptureForm::copyAndExit() {
  Picture1->hide();
  Picture2->hide();
  Shape1->hide();
  copySelection();
  close();
}

void CaptureForm::pinAndExit() {
  const qreal ratio = session_.picture().devicePixelRatio();
  const QRect device = finishedSelection().intersected(session_.picture().rect());
  if (device.isEmpty()) {
    MsgBox(selectionSurface(), tr("选区是空的，没有可钉在桌面上的图像。请先在屏幕上拖出一块区域。"),
           tr("钉在桌面"), MessageRequest::Icon::Information);
    return;
  }
  QImage picture = session_.picture().copy(device);
  picture.setDevicePixelRatio(ratio);
  auto* pin = new PinWindow(picture);  // outlives this window
  pin->move(selectionSurface()->mapToGlobal(QPointF(device.topLeft()) / ratio).toPoint());
  pin->show();
  close();
}

void CaptureForm::save() {
  const bool panelWasShowing = Picture2->isVisible();
  Picture1->hide();
  Picture2->hide();
  Shape1->hide();
  const bool copied = copySelection();
  Picture1->show();
  Picture2->setVisible(panelWasShowing);
  Shape1->show();
  // A click without a drag leaves a selection of no width or height, with
  // nothing in it to save: the user is told so and can drag one. A file that
  // could not be written must not cost the work either: the window stays as it
  // was before the save, with the copy on the clipboard, so the user can try
  // another name or copy it.
  if (!copied) {
    MsgBox(selectionSurface(), tr("选区是空的，没有可保存的图像。请先在屏幕上拖出要保存的区域。"),
           tr("保存为"), MessageRequest::Icon::Information);
    apply({});
    return;
  }
  if (CutdSave() == SaveOutcome::Failed) {
    apply({});
    return;
  }
  close();
}

CaptureForm::SaveOutcome CaptureForm::CutdSave() {
  // Over the frozen screen of the selection, so the dialog is not hidden
  // behind it and shows where the user is looking.
  const std::optional<QString> fileName =
      capture_save::askFileName(selectionSurface(), saveFolder());
  if (!fileName) return SaveOutcome::Cancelled;  // the clipboard keeps the copy

  // A picture that vanished from the clipboard is reported by the saver.
  const QImage picture = QGuiApplication::clipboard()->image();
  using namespace capture_save;
  if (!ModSavePic::SavePicToFile(picture, *fileName, extensionOf(*fileName), kJpegQuality,
                                 kTiffColourDepth, kTiffNoCompression, this))
    return SaveOutcome::Failed;
  QGuiApplication::clipboard()->clear();
  return SaveOutcome::Saved;
}
