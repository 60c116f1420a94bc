#include <QApplication>
#include <QFont>

#include "rotaskiv/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Rotaskiv");
  // Every caption is Chinese: prefer a CJK face so nothing renders as boxes.
  QFont font = QApplication::font();
  font.setFamilies({"SimSun", "Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei"});
  font.setPointSize(9);
  QApplication::setFont(font);

  Form1 window;
  window.show();
  return QApplication::exec();
}
