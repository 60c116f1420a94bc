#pragma once

#include <QWidget>

// The capture window opened by "剪裁保存": it freezes the screen and lets the
// user crop, annotate and save a part of it.
class CaptureForm : public QWidget {
  Q_OBJECT

 public:
  explicit CaptureForm(QWidget* owner);
  // Shows the window modeless over the whole screen.
  void Show();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
