// The skin engine on a demonstration window with every skinned control, run
// under a real X server (xvfb-run -a -s "-screen 0 1920x1080x24"):
//  - fade:  the processor time the program takes while one push button fades
//           on and on (moved over and off every 1.4 s), against the same
//           window at rest; the fade must stay under 5% of one core;
//  - paint: what one repaint of a skinned push button costs (the whole
//           window-system round: Qt's paint, the skin's face, the flush),
//           against the same button unskinned, and the skin's part alone;
//  - shots DIR: screenshots of the skinned window, a pressed button, a
//           button half-way through its hover fade and the skinned colour
//           dialog, as DIR/skin-*.png;
//  - show:  the window, skinned, for a person to try.
// Usage: bench_skin [fade [seconds]|paint|shots DIR|show]   (fade and paint by default)
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimerEvent>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "common/application.h"
#include "common/face_button.h"
#include "common/picture_box.h"
#include "gridorm/skin/skinner.h"
#include "measure.h"

using bench::median;

namespace {

QString text(const char* source) { return QCoreApplication::translate("SkinDemo", source); }

// A window with one of each skinned control, enabled and disabled.
class DemoWindow : public QWidget {
 public:
  DemoWindow() {
    setWindowTitle(text("皮肤演示"));
    auto* grid = new QGridLayout(this);
    auto* buttons = new QHBoxLayout;
    open = new QPushButton(text("打开(&O)"));
    save = new QPushButton(text("保存"));
    auto* face = new FaceButton(text("颜色"));
    face->setBackColor(0x00F5BC7C);
    auto* disabled = new QPushButton(text("已禁用"));
    disabled->setEnabled(false);
    colour = new QPushButton(text("选择颜色…"));
    for (QPushButton* b : {open, save, static_cast<QPushButton*>(face), disabled, colour}) {
      b->setMinimumSize(88, 26);
      buttons->addWidget(b);
    }
    grid->addLayout(buttons, 0, 0, 1, 2);

    auto* marks = new QGroupBox(text("选项"));
    auto* markGrid = new QGridLayout(marks);
    auto* checked = new QCheckBox(text("表格线"));
    checked->setChecked(true);
    auto* tristate = new QCheckBox(text("部分"));
    tristate->setTristate(true);
    tristate->setCheckState(Qt::PartiallyChecked);
    auto* paleCheck = new QCheckBox(text("禁用"));
    paleCheck->setChecked(true);
    paleCheck->setEnabled(false);
    markGrid->addWidget(checked, 0, 0);
    markGrid->addWidget(new QCheckBox(text("粗体")), 1, 0);
    markGrid->addWidget(tristate, 2, 0);
    markGrid->addWidget(paleCheck, 3, 0);
    auto* left = new QRadioButton(text("左对齐"));
    left->setChecked(true);
    auto* paleOption = new QRadioButton(text("禁用"));
    paleOption->setEnabled(false);
    markGrid->addWidget(left, 0, 1);
    markGrid->addWidget(new QRadioButton(text("居中")), 1, 1);
    markGrid->addWidget(new QRadioButton(text("右对齐")), 2, 1);
    markGrid->addWidget(paleOption, 3, 1);
    grid->addWidget(marks, 1, 0);

    auto* fields = new QGroupBox(text("字体"));
    auto* fieldGrid = new QGridLayout(fields);
    auto* list = new QComboBox;
    list->addItems({text("宋体"), text("黑体"), text("楷体")});
    auto* editable = new QComboBox;
    editable->setEditable(true);
    editable->addItems({"9", "10.5", "12", "14"});
    auto* paleCombo = new QComboBox;
    paleCombo->addItem(text("禁用"));
    paleCombo->setEnabled(false);
    fieldGrid->addWidget(list, 0, 0);
    fieldGrid->addWidget(editable, 1, 0);
    fieldGrid->addWidget(paleCombo, 2, 0);
    fieldGrid->addWidget(new QLineEdit(text("单元格文字")), 3, 0);
    grid->addWidget(fields, 1, 1);

    auto* table = new QTableWidget(3, 4);
    table->setHorizontalHeaderLabels({text("行"), text("列"), text("宽"), text("高")});
    table->setMinimumHeight(120);
    grid->addWidget(table, 2, 0);
    auto* canvas = new PictureBox;
    canvas->setBackColor(0x00FFFFFF);
    canvas->setMinimumSize(160, 120);
    grid->addWidget(canvas, 2, 1);

    auto* bars = new QHBoxLayout;
    auto* horizontal = new QProgressBar;
    horizontal->setValue(42);
    auto* vertical = new QProgressBar;
    vertical->setOrientation(Qt::Vertical);
    vertical->setValue(70);
    vertical->setFixedHeight(60);
    bars->addWidget(horizontal);
    bars->addWidget(vertical);
    bars->addWidget(new QTextEdit(text("多行文字")));
    grid->addLayout(bars, 3, 0, 1, 2);

    connect(colour, &QPushButton::clicked, this, [this] { openColourDialog(); });
  }

  QColorDialog* openColourDialog() {
    auto* dialog = new QColorDialog(QColor(124, 188, 245), this);
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->activateWindow();
    return dialog;
  }

  QPushButton* open = nullptr;
  QPushButton* save = nullptr;
  QPushButton* colour = nullptr;
};

double processSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

bool showSkinned(DemoWindow& window) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowExposed(&window)) {
    std::printf("the demonstration window did not show\n");
    return false;
  }
  SkinWindow(&window);
  QTest::qWait(300);
  return true;
}

// Processor time over `seconds` of wall time, in percent of one core.
double cpuLoad(double seconds, const std::function<void()>& everyFadeLength) {
  const double before = processSeconds();
  QElapsedTimer wall;
  wall.start();
  while (wall.elapsed() < seconds * 1000) {
    if (everyFadeLength) everyFadeLength();
    QTest::qWait(1400);
  }
  return 100.0 * (processSeconds() - before) / (wall.elapsed() / 1000.0);
}

void benchFade(double seconds) {
  DemoWindow window;
  if (!showSkinned(window)) return;
  const double idle = cpuLoad(seconds, {});
  // Over the button and off it again: each crossing starts a fade of 86
  // ticks of 15 ms, just under the 1.4 s between crossings.
  bool over = false;
  int fadesSeen = 0;
  const double fading = cpuLoad(seconds, [&] {
    over = !over;
    QTest::mouseMove(window.save, over ? QPoint(20, 10) : QPoint(-30, -30));
    QTest::qWait(30);  // the pointer's move reaches the program through the X server
    fadesSeen += window.save->property("TIMERID").toInt() != 0;
  });
  std::printf(
      "CPU while one push button fades without pause: %.2f%% of one core "
      "(the window at rest: %.2f%%; %d of %d crossings started a fade), over %.0f s each\n",
      fading, idle, fadesSeen, int(seconds * 1000 / 1400), seconds);
}

// Median milliseconds of `runs` calls of `step`.
double timeMedian(int runs, const std::function<void()>& step) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    step();
    ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  return median(ms);
}

void benchPaint() {
  DemoWindow window;
  if (!showSkinned(window)) return;
  QPushButton* button = window.save;
  QImage target(button->size(), QImage::Format_ARGB32_Premultiplied);
  // Painting alone: the paint event through the style, into an image.
  const auto paint = [&] { button->render(&target); };
  // The whole round: painting into the window's backing store and the flush to the X server.
  const auto repaint = [&] { button->repaint(); };
  const double skinnedPaint = timeMedian(2000, paint), skinnedRepaint = timeMedian(2000, repaint);
  // One step of a fade: the blend onto the face and the repaint that shows it.
  QTest::mouseMove(button, QPoint(20, 10));
  QTest::qWait(30);
  // Held half-way between two images, so that every tick changes the face
  // and shows it; no other event runs meanwhile.
  QTimerEvent event(button->property("TIMERID").toInt());
  int ticks = 0;
  const double tick = timeMedian(2000, [&] {
    button->setProperty("OLDSTATE", ++ticks % 2);
    button->setProperty("ALPHALEVEL", 120);
    QCoreApplication::sendEvent(button, &event);
  });
  const bool ticked = event.timerId() != 0 && button->property("TIMERID").toInt() != 0;
  DetachSkin(&window);
  QTest::qWait(100);
  const double plainPaint = timeMedian(2000, paint), plainRepaint = timeMedian(2000, repaint);
  std::printf(
      "a %dx%d push button, skinned against unskinned (%s), medians of 2000:\n"
      "  painting it (paint event into an image)   %.4f ms against %.4f ms\n"
      "  repainting it on screen (paint and flush)  %.4f ms against %.4f ms\n"
      "  one fade tick (blend, paint and flush)     %.4f ms%s\n",
      button->width(), button->height(), qPrintable(button->style()->name()), skinnedPaint,
      plainPaint, skinnedRepaint, plainRepaint, tick, ticked ? "" : " (no fade ran!)");
}

bool saveScreen(const QString& path) {
  // The corner of the screen the windows are in.
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 960, 700).toImage();
  const bool saved = shot.save(path);
  std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
  return saved;
}

void takeShots(const QString& dir) {
  DemoWindow window;
  window.move(40, 40);
  if (!showSkinned(window)) return;
  saveScreen(dir + "/skin-window.png");
  QTest::mousePress(window.open, Qt::LeftButton, {}, QPoint(20, 10));
  QTest::qWait(100);
  saveScreen(dir + "/skin-pressed.png");
  QTest::mouseRelease(window.open, Qt::LeftButton, {}, QPoint(20, 10));
  QTest::mouseMove(window.open, QPoint(-40, -40));
  QTest::qWait(1500);
  // Twelve ticks into the fade from normal to hot: about half-way there.
  QTest::mouseMove(window.save, QPoint(20, 10));
  QTest::qWait(12 * 15);
  saveScreen(dir + "/skin-hover-fade.png");
  QTest::qWait(1500);
  saveScreen(dir + "/skin-hover-settled.png");
  auto* list = window.findChild<QComboBox*>();
  list->showPopup();
  QTest::qWait(300);
  saveScreen(dir + "/skin-combo-list.png");
  list->hidePopup();
  QColorDialog* dialog = window.openColourDialog();
  QTest::qWait(800);
  std::printf("colour dialog skinned: %s\n", dialog->property("PROCADDR").isValid() ? "yes" : "no");
  saveScreen(dir + "/skin-colour-dialog.png");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  application::prepare();
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) args = {"fade", "paint"};
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& what = args[i];
    bool numbered = false;
    const double seconds = args.value(i + 1).toDouble(&numbered);
    if (what == "fade") {
      benchFade(numbered ? seconds : 5.6);
      if (numbered) ++i;
    } else if (what == "paint") {
      benchPaint();
    } else if (what == "shots") {
      takeShots(args.value(++i, "."));
    } else if (what == "show") {
      DemoWindow window;
      if (showSkinned(window)) app.exec();
    } else {
      std::printf("usage: bench_skin [fade [seconds]|paint|shots DIR|show]\n");
      return 2;
    }
  }
  return 0;
}
