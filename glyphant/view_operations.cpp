// History stepping, the preview, the canvas picture, clearing, saving and
// the text colour.
#include <QBuffer>
#include <QLabel>

#include "common/background_job.h"
#include "common/cursor_override.h"
#include "common/picture_box.h"
#include "common/whole_file.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/stretched_image.h"
#include "glyphant/window_style.h"

void Form1::Command16_Click() { step(&HistoryRing::stepBack, tr("正在退一步……")); }

void Form1::Command17_Click() { step(&HistoryRing::stepForward, tr("正在进一步……")); }

void Form1::step(HistoryRing::Restore (HistoryRing::*move)(), const QString& label) {
  // The step is taken on a copy of the history, which unpacks the slot off
  // the window's thread; a cancel leaves the history where it was.
  BackgroundJob::Task task;
  task.label = label;
  task.holdInput = true;
  task.work = [this, move, history = History](JobTracking& tracking) mutable {
    HistoryRing::Restore restored = (history.*move)();
    tracking.percent = 100;
    return BackgroundJob::Deliver(
        [this, history = std::move(history), restored = std::move(restored)]() mutable {
          const cursor_override::BusyScope busy;
          History = std::move(history);
          const QImage before = pic1->Picture(), drawn = pic1->Image();
          showRestored(restored);
          BackgroundJob::release(before);
          BackgroundJob::release(drawn);
        });
  };
  canvasJob_->start(std::move(task));
}

void Form1::showRestored(const HistoryRing::Restore& restored) {
  // A slot never written has nothing to give back: the canvas stays.
  if (!restored.picture.isNull()) pic1->setPicture(restored.picture);
  Label27->setText(restored.status);
}

void Form1::ZoomPreview(float factor) {
  if (previewZoom_.zoom(factor)) Image1->resize(previewZoom_.shown());
}

void Form1::Command13_Click() {
  choosePicture([this](const QImage& picture) { pic1->setPicture(picture); });
}

void Form1::Command2_Click() {
  pic1->Cls();
  picDst->Cls();
  pic1->setPicture(QImage());
  refreshThumbnail();
}

void Form1::Command12_Click() {
  CommonDialog1.Filter = tr("Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
  if (!CommonDialog1.ShowSave(this) || CommonDialog1.FileName.isEmpty()) return;
  const QString name = CommonDialog1.FileName;
  // BMP whatever the name ends in, encoded whole before the disk is touched;
  // the old file stays until the new one is complete.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QString reason =
      pic1->Image().save(&buffer, "BMP") ? writeWholeFile(name, bytes) : tr("无法编码为 BMP 格式");
  if (!reason.isEmpty())
    MsgBox(this, tr("无法保存图像“%1”：\n%2").arg(name, reason),
           QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
}

void Form1::Label10_Chosen() {
  // The holder keeps its size: pattern text fills with its plain background
  // until a pattern is chosen again.
  PicRes->setPicture(QImage());
}
