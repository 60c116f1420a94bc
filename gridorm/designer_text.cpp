// Text and textures of the designer window: the font lists, writing the cell
// editor's text into its cell or at the pointer, and stamping textures.
#include "gridorm/table_designer.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

#include "common/colour_swatch.h"
#include "common/drag_window.h"
#include "common/font_list.h"
#include "common/fonts.h"
#include "common/numbers.h"
#include "common/picture_box.h"
#include "common/picture_filter.h"
#include "common/picture_load_job.h"
#include "common/picture_loader.h"
#include "common/surface.h"
#include "gridorm/cell_editor.h"
#include "gridorm/designer_layout.h"

namespace {

// The largest size the toolkit takes for a font, in points.
constexpr double kLargestFontSize = 2160;

}  // namespace

void Form1::cbofontstyle_Click() {
  // Entries: Normal, Bold, Italic, Underline; each clears the other two.
  const int style = cbofontstyle->currentIndex();
  QFont font = Picture1->font();
  font.setBold(style == 1);
  font.setItalic(style == 2);
  font.setUnderline(style == 3);
  Picture1->setFont(font);
}

void Form1::takeFontFromLists() {
  QFont font = Picture1->font();
  // A size that cannot be set (no number, 0, or beyond the largest) is a
  // failing statement: skipped, and the text goes out at the size in force.
  const double size = numbers::leadingNumber(cbofontsize->currentText());
  if (size > 0 && size <= kLargestFontSize) font.setPointSizeF(size);
  font.setFamilies(fonts::withCjkFallback(fonts::drawableFamily(cbofont->currentText())));
  Picture1->setFont(font);
}

QString Form1::editorTextOrComplain() {
  const QString text = Text7->text().trimmed();
  if (text.isEmpty())
    MsgBox(this, tr("Please enter in some text first"), tr("Error now Text entered"),
           MessageRequest::Icon::Information);
  return text;
}

void Form1::Command9_Click() {
  Picture1->setForeColor(Label4->BackColor());
  const QString text = editorTextOrComplain();
  if (text.isEmpty()) return;
  takeFontFromLists();
  Picture1->CurrentX = Text7->box().left;
  Picture1->CurrentY = Text7->box().top;
  Picture1->Print(text);
  Command6_Click();
}

void Form1::Picture1_MouseDown(double x, double y) {
  if (Option1[1]->isChecked()) {
    const QString text = editorTextOrComplain();
    if (text.isEmpty()) return;
    Picture1->Refresh();
    takeFontFromLists();
    Picture1->setForeColor(Label4->BackColor());
    Picture1->CurrentX = x;
    Picture1->CurrentY = y;
    Picture1->Print(text);
  } else if (Option1[0]->isChecked()) {
    UpdateDisplay();
    Picture2->show();
    // A picture's stored size, at the screen's 96 dots an inch, is its size
    // in pixels.
    const QSize size = Picture2->Picture().size();
    using designer_layout::pixels;
    DeviceContext canvas = Picture1->hDC(), texture = Picture2->hDC();
    surface::transparentBlt(*canvas, pixels(x), pixels(y), size.width(), size.height(), *texture, 0,
                            0, size.width(), size.height(), Label24->BackColor());
    Picture1->Refresh();
  }
}

void Form1::Command10_Click() {
  // The last filter given to the shared dialog stays, after one of every
  // picture, so that the files it can take are all in view.
  CommonDialog1.Filter = pictureOpenFilter(CommonDialog1.Filter);
  if (!CommonDialog1.ShowOpen(this) || CommonDialog1.FileName.isEmpty()) return;
  const QString name = CommonDialog1.FileName;
  // A file that cannot be read keeps the texture quietly; a pipe or a device,
  // which the dialog should never have offered, is refused in words.
  const QFileInfo file(name);
  if (file.exists() && !file.isFile() && !file.isDir())
    return void(MsgBox(this, tr("无法打开图片“%1”：\n%2").arg(name, pictureFileProblem(name)),
                       windowTitle(), MessageRequest::Icon::Warning));
  textureLoad_->start(name, [this](const LoadedPicture& picture) {
    if (picture.ok()) Picture2->setPicture(picture.image);
  });
}

void Form1::Picture2_MouseDown(double x, double y) {
  // The box's border has no pixel to pick.
  if (const ColourRef picked = Picture2->Point(x, y); picked != colour::kInvalid)
    Label24->setBackColor(picked);
  DragWindow(Picture2);
}

void Form1::pasteMode_Click() {
  const bool on = !Option4->isChecked();
  Text7->setVisible(on);
  Picture2->setVisible(on);
}
