#include "rotaskiv/capture_form.h"

#include <QKeyEvent>

CaptureForm::CaptureForm(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName("CaptureForm");
  setAttribute(Qt::WA_DeleteOnClose);
}

void CaptureForm::Show() { showFullScreen(); }

void CaptureForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else
    QWidget::keyPressEvent(event);
}
