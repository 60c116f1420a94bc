// The six text operations of the window and the font style they all obey.
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <utility>

#include "common/background_job.h"
#include "common/colour_swatch.h"
#include "common/cursor_override.h"
#include "common/fonts.h"
#include "common/picture_box.h"
#include "common/surface.h"
#include "glyphant/canvas_work.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/text_outline.h"
#include "glyphant/window_style.h"

using panel_inputs::TextRequest;

void Form1::cbofontstyle_Click(int entry) {
  const std::optional<panel_inputs::FontStyle> style = panel_inputs::fontStyleOf(entry);
  if (!style) return;
  for (PictureBox* surface : {picDst, pic1}) {
    QFont font = surface->font();
    font.setBold(style->bold);
    font.setItalic(style->italic);
    font.setUnderline(style->underline);
    surface->setFont(font);
  }
}

std::optional<TextRequest> Form1::textRequest() {
  const panel_inputs::TextCheck check = panel_inputs::checkText(
      txtMessage->text(), cbofont->currentText(), cbofontsize->currentText(), Text3->text(),
      Text4->text(), [](const QString& family) {
        // The font list also offers the system's aliases ("Sans Serif"),
        // which the database knows only as names in that list.
        return QFontDatabase::hasFamily(family) ||
               QFontDatabase::families().contains(family, Qt::CaseInsensitive);
      });
  switch (check.problem) {
    case panel_inputs::TextProblem::None:
      return check.request;
    case panel_inputs::TextProblem::EmptyText:
      MsgBox(this, check.message, tr("Error now Text entered"), MessageRequest::Icon::Information);
      return std::nullopt;
    default:
      MsgBox(this, check.message, QString::fromLatin1(window_style::kCaption),
             MessageRequest::Icon::Warning);
      return std::nullopt;
  }
}

void Form1::applyFont(PictureBox* surface, const TextRequest& request) {
  QFont font = surface->font();
  // Letters the chosen face lacks come from a CJK face, never from boxes.
  font.setFamilies(fonts::withCjkFallback(request.family));
  font.setPixelSize(panel_inputs::pixelsForPoints(request.points));
  surface->setFont(font);
}

void Form1::Command4_Click() { shadowText(0, false); }

QList<PictureBox::TextPlacement> Form1::placeCanvasText(const TextRequest& request, int sign,
                                                        CanvasRecord* drawings) {
  QList<PictureBox::TextPlacement> placed;
  // Places the text at the current point, its letters' outlines taken
  // there first: placing moves the point on.
  const auto place = [&] {
    const text_outline::Letters letters =
        drawings ? text_outline::of(pic1->font(), request.text, pic1->CurrentX, pic1->CurrentY)
                 : text_outline::Letters();
    placed << pic1->placeText(request.text);
    if (drawings) drawings->addText(letters, placed.last().pen);
  };
  applyFont(pic1, request);
  if (sign != 0) {
    pic1->setForeColor(Label26->BackColor());
    pic1->CurrentX = request.x + sign * ShadowOffset;
    pic1->CurrentY = request.y + sign * ShadowOffset;
    place();
  }
  // The letters over their shadow.
  pic1->setForeColor(Label10->BackColor());
  pic1->CurrentX = static_cast<float>(request.x);
  pic1->CurrentY = static_cast<float>(request.y);
  place();
  return placed;
}

void Form1::shadowText(int sign, bool clearFirst) {
  const std::optional<TextRequest> request = textRequest();
  if (!request) return;
  // The canvas takes the font, colours and current point when the result is
  // in: a cancel leaves it as it was.
  const QFont font = pic1->font();
  const ColourRef fore = pic1->ForeColor();
  const QPointF point(pic1->CurrentX, pic1->CurrentY);
  canvas_work::TextInput input;
  // Clears what was drawn; a background picture stays.
  const std::optional<ColourRef> ground =
      clearFirst ? std::optional(Label22->BackColor()) : std::nullopt;
  // The record as the canvas will be, kept with it when the result is in.
  input.drawings = Drawings;
  if (ground) {
    input.clearTo = colour::toQColor(*ground, pic1->palette());
    input.drawings.setBackground(*input.clearTo);
  }
  input.texts = placeCanvasText(*request, sign, &input.drawings);
  pic1->setFont(font);
  pic1->setForeColor(fore);
  pic1->CurrentX = point.x();
  pic1->CurrentY = point.y();
  input.canvas = pic1->Image();
  input.picture = pic1->Picture();
  input.history = History;
  drawOnCanvas(
      tr("正在绘制文字……"),
      [input = std::move(input)](JobTracking& tracking) mutable {
        return canvas_work::text(std::move(input), tracking);
      },
      ground, [this, request = *request, sign] { placeCanvasText(request, sign); });
}

void Form1::drawOnCanvas(const QString& label, std::function<canvas_work::Drawn(JobTracking&)> work,
                         std::optional<ColourRef> ground, std::function<void()> then) {
  BackgroundJob::Task task;
  task.label = label;
  task.holdInput = true;
  task.work = [this, work = std::move(work), ground,
               then = std::move(then)](JobTracking& tracking) {
    canvas_work::Drawn drawn = work(tracking);
    return BackgroundJob::Deliver([this, ground, then, drawn = std::move(drawn)]() mutable {
      if (drawn.canvas.isNull()) {
        MsgBox(this, tr("内存不足，无法在图象上绘制。"),
               QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
        return;
      }
      const cursor_override::BusyScope busy;
      then();
      BackgroundJob::release(pic1->adoptImage(std::move(drawn.canvas), ground));
      Drawings = std::move(drawn.drawings);
      pic1->Refresh();
      showPreview(drawn.preview);
      BackgroundJob::release(std::exchange(History, std::move(drawn.history)));
    });
  };
  canvasJob_->start(std::move(task));
}

PictureBox::TextPlacement Form1::placeWorkText(const TextRequest& request) {
  applyFont(picDst, request);
  picDst->CurrentX = static_cast<float>(request.x);
  picDst->CurrentY = static_cast<float>(request.y);
  return picDst->placeText(request.text);
}

void Form1::Command1_Click() {
  pic1->show();
  // Checked before the canvas is tiled, so a refused text leaves the
  // composition as it was.
  const std::optional<TextRequest> request = textRequest();
  if (!request) return;
  // The working surface takes the background colour, the canvas's size and
  // the text's font when the result is in: a cancel leaves it as it was.
  const QFont workFont = picDst->font();
  const QPointF workPoint(picDst->CurrentX, picDst->CurrentY);
  const ColourRef ground = Label22->BackColor();
  canvas_work::PatternTextInput input;
  input.canvas = pic1->Image();
  // An emptied holder keeps its size and shows its plain background.
  if (!PicRes->size().isEmpty()) input.pattern = PicRes->Image();
  input.workSize = pic1->size();
  input.workGround = colour::toQColor(ground, picDst->palette());
  input.workPicture = picDst->Picture();
  // Drawn in black on a transparent ground, wherever the letters fall.
  input.text = placeWorkText(*request);
  input.letters = text_outline::of(picDst->font(), request->text, static_cast<float>(request->x),
                                   static_cast<float>(request->y));
  input.drawings = Drawings;
  input.history = History;
  picDst->setFont(workFont);
  picDst->CurrentX = workPoint.x();
  picDst->CurrentY = workPoint.y();

  BackgroundJob::Task task;
  task.label = tr("正在绘制图案文字……");
  task.holdInput = true;
  task.work = [this, ground, request = *request, input = std::move(input)](JobTracking& tracking) {
    canvas_work::PatternText done = canvas_work::patternText(std::move(input), tracking);
    return BackgroundJob::Deliver([this, ground, request, done = std::move(done)]() mutable {
      if (done.canvas.isNull() || done.work.isNull()) {
        MsgBox(this, tr("内存不足，无法绘制图案文字。"),
               QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
        return;
      }
      const cursor_override::BusyScope busy;
      // Taken before the resize, which then finds the image at its size.
      BackgroundJob::release(picDst->adoptImage(std::move(done.work), ground));
      picDst->resize(pic1->size());
      placeWorkText(request);  // the current point where printing leaves it
      BackgroundJob::release(pic1->adoptImage(std::move(done.canvas)));
      Drawings = std::move(done.drawings);
      pic1->Refresh();
      picDst->hide();
      showPreview(done.preview);
      BackgroundJob::release(std::exchange(History, std::move(done.history)));
    });
  };
  canvasJob_->start(std::move(task));
}
