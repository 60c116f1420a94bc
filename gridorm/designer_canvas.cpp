// The designer window's canvas: its size, the temp-store panel with the
// snapshots, clearing, the background colour and saving.
#include "gridorm/table_designer.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "common/colour_swatch.h"
#include "common/picture_box.h"
#include "gridorm/bitmap_file.h"
#include "gridorm/designer_layout.h"
#include "gridorm/image_control.h"

void Form1::HScroll1_Change() {
  Picture1->resize(designer_layout::pixels(HScroll1->value()), Picture1->height());
  Label22->setText(QString::number(HScroll1->value()));
}

void Form1::HScroll2_Change() {
  Picture1->resize(Picture1->width(), designer_layout::pixels(HScroll2->value()));
  Label23->setText(QString::number(HScroll2->value()));
}

void Form1::Command12_Click() {
  Frame2->show();
  Frame2->raise();
  Form_Paint();
}

void Form1::Image1_Click(int slot) {
  snapshots_.store(slot, Picture1->Image());
  showSnapshot(slot);
}

void Form1::showSnapshot(int slot) {
  if (const auto picture = snapshots_.picture(slot)) Image1[slot]->setPicture(*picture);
}

void Form1::Command13_Click(int slot) {
  // A slot never stored has nothing to give back; the canvas stays as it is.
  if (const auto picture = snapshots_.picture(slot)) Picture1->setPicture(*picture);
}

void Form1::Command3_Click() {
  Picture1->Cls();
  Picture1->setPicture(QImage());
}

void Form1::Command11_Click() {
  CommonDialog1.Color = Label4->BackColor();
  // The drawing goes; a background picture, such as a restored snapshot, stays.
  if (CommonDialog1.ShowColor(this)) Picture1->setBackColor(CommonDialog1.Color);
}

void Form1::Command4_Click() {
  CommonDialog1.Filter = tr("Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
  if (!CommonDialog1.ShowSave(this) || CommonDialog1.FileName.isEmpty()) return;
  const QString failure = writeBitmap(Picture1->Image(), CommonDialog1.FileName);
  if (!failure.isEmpty()) MsgBox(this, failure, tr("错误"), MessageRequest::Icon::Critical);
}
