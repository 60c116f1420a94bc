// History stepping, the preview, the canvas picture, clearing, saving and
// the text colour.
#include <QLabel>

#include "common/background_job.h"
#include "common/cursor_override.h"
#include "common/picture_box.h"
#include "common/whole_file.h"
#include "glyphant/canvas_work.h"
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
  if (!restored.picture.isNull()) {
    pic1->setPicture(restored.picture);
    Drawings.setPicture(restored.picture, restored.drawings);
  }
  Label27->setText(restored.status);
}

void Form1::ZoomPreview(float factor) {
  if (previewZoom_.zoom(factor)) Image1->resize(previewZoom_.shown());
}

void Form1::Command13_Click() {
  choosePicture([this](const QImage& picture) {
    // A picture that fills the canvas becomes its image as it is; any other
    // is composed over the canvas colour off the window's thread.
    if (picture.format() == QImage::Format_RGB32 && picture.size() == pic1->contentsRect().size()) {
      pic1->setPicture(picture);
      return Drawings.setPicture(picture);
    }
    BackgroundJob::Task task;
    task.label = tr("正在放入背景图……");
    task.holdInput = true;
    task.work = [this, picture, size = pic1->Image().size(),
                 ground = pic1->groundColour()](JobTracking& tracking) {
      QImage composed = PictureBox::composed(size, ground, picture);
      tracking.percent = 100;
      return BackgroundJob::Deliver([this, picture, composed = std::move(composed)]() mutable {
        if (composed.isNull()) return;  // no memory for it: the canvas stays
        const cursor_override::BusyScope busy;
        const QImage before = pic1->Picture();  // let go of elsewhere too
        BackgroundJob::release(pic1->adoptImage(std::move(composed), std::nullopt, picture));
        Drawings.setPicture(picture);
        BackgroundJob::release(before);
      });
    };
    canvasJob_->start(std::move(task));
  });
}

void Form1::Command2_Click() {
  BackgroundJob::Task task;
  task.label = tr("正在清除图像……");
  task.holdInput = true;
  task.work = [this, size = pic1->Image().size(),
               ground = pic1->groundColour()](JobTracking& tracking) {
    canvas_work::Cleared cleared = canvas_work::clear(size, ground, tracking);
    return BackgroundJob::Deliver([this, cleared = std::move(cleared)]() mutable {
      if (cleared.canvas.isNull()) {
        MsgBox(this, tr("内存不足，无法清除图像。"), QString::fromLatin1(window_style::kCaption),
               MessageRequest::Icon::Warning);
        return;
      }
      const cursor_override::BusyScope busy;
      // Both drawings emptied, the canvas's picture removed. The working
      // surface, never shown, gives up its image: composed on its next use
      // it is the same cleared image, and pattern text makes its own anyway.
      const QImage picture = pic1->Picture();  // let go of elsewhere too
      BackgroundJob::release(pic1->adoptImage(std::move(cleared.canvas), std::nullopt, QImage()));
      BackgroundJob::release(picture);
      BackgroundJob::release(picDst->adoptImage(QImage()));
      Drawings.clear(true);
      pic1->CurrentX = pic1->CurrentY = 0;
      picDst->CurrentX = picDst->CurrentY = 0;
      showPreview(cleared.preview);
    });
  };
  canvasJob_->start(std::move(task));
}

void Form1::Command12_Click() {
  CommonDialog1.Filter = tr("Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
  if (!CommonDialog1.ShowSave(this) || CommonDialog1.FileName.isEmpty()) return;
  const QString name = CommonDialog1.FileName;
  // BMP whatever the name ends in, encoded whole before the disk is touched,
  // off the window's thread; the old file stays until the new one is
  // complete, and a cancel before then writes nothing.
  BackgroundJob::Task task;
  task.label = tr("正在保存图像……");
  task.holdInput = true;  // so that no later operation takes the job's place
  task.work = [this, name, canvas = pic1->Image()](JobTracking& tracking) {
    const QByteArray bytes = canvas_work::bitmapOf(canvas, tracking);
    const QString reason = bytes.isEmpty() ? tr("无法编码为 BMP 格式")
                           : tracking.stop ? QString()
                                           : writeWholeFile(name, bytes);
    return BackgroundJob::Deliver([this, name, reason] {
      if (!reason.isEmpty())
        MsgBox(this, tr("无法保存图像“%1”：\n%2").arg(name, reason),
               QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
    });
  };
  canvasJob_->start(std::move(task));
}

void Form1::Label10_Chosen() {
  // The holder keeps its size: pattern text fills with its plain background
  // until a pattern is chosen again.
  PicRes->setPicture(QImage());
}
