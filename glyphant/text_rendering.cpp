// The six text operations of the window and the font style they all obey.
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>

#include "common/colour_swatch.h"
#include "common/cursor_override.h"
#include "common/fonts.h"
#include "common/picture_box.h"
#include "common/surface.h"
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

void Form1::Command4_Click() {
  const std::optional<TextRequest> request = textRequest();
  if (!request) return;
  const cursor_override::BusyScope busy;
  applyFont(pic1, *request);
  pic1->setForeColor(Label10->BackColor());
  pic1->CurrentX = static_cast<float>(request->x);
  pic1->CurrentY = static_cast<float>(request->y);
  printOnCanvas(request->text);
  refreshThumbnail();
  History.record(pic1->Image(), Drawings);
}

void Form1::printOnCanvas(const QString& text) {
  const text_outline::Letters letters =
      text_outline::of(pic1->font(), text, pic1->CurrentX, pic1->CurrentY);
  pic1->Print(text);
  Drawings.addText(letters, colour::toQColor(pic1->ForeColor(), pic1->palette()));
}

void Form1::shadowText(int sign, bool clearFirst) {
  const std::optional<TextRequest> request = textRequest();
  if (!request) return;
  const cursor_override::BusyScope busy;
  applyFont(pic1, *request);
  // Clears what was drawn; a background picture stays.
  if (clearFirst) {
    pic1->setBackColor(Label22->BackColor());
    Drawings.setBackground(colour::toQColor(pic1->BackColor(), pic1->palette()));
  }
  pic1->setForeColor(Label26->BackColor());
  pic1->CurrentX = request->x + sign * ShadowOffset;
  pic1->CurrentY = request->y + sign * ShadowOffset;
  printOnCanvas(request->text);
  // The letters over their shadow, and the one history step of the whole.
  Command4_Click();
}

void Form1::Command1_Click() {
  pic1->show();
  // Checked before the canvas is tiled, so a refused text leaves the
  // composition as it was.
  const std::optional<TextRequest> request = textRequest();
  if (!request) return;
  const cursor_override::BusyScope busy;
  picDst->resize(pic1->size());
  picDst->setBackColor(Label22->BackColor());
  IntTitle();
  applyFont(picDst, *request);
  picDst->CurrentX = static_cast<float>(request->x);
  picDst->CurrentY = static_cast<float>(request->y);
  const text_outline::Letters letters =
      text_outline::of(picDst->font(), request->text, picDst->CurrentX, picDst->CurrentY);
  picDst->Print(request->text);
  // Black letters on the background colour, ORed in: the letters keep the
  // pattern, the rest takes the background (or the pattern brightened by it).
  {
    DeviceContext canvas = pic1->hDC();
    DeviceContext work = picDst->hDC();
    surface::bitBlt(*canvas, 0, 0, int(picDst->ScaleWidth()), int(picDst->ScaleHeight()), *work, 0,
                    0, surface::RasterOp::SrcPaint);
  }
  Drawings.addPatternText(PicRes->Image(), colour::toQColor(picDst->BackColor(), picDst->palette()),
                          letters);
  pic1->Refresh();
  picDst->hide();
  refreshThumbnail();
  History.record(pic1->Image(), Drawings);
}
