// The mouse goes through the window system, as a user's would: enter and
// leave events, the grab of a pressed button.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "gridorm/skin/button_face.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skinner.h"

namespace {

// Lets through only the fade ticks the test sends, so that a fade goes
// exactly as far as a script says, however slow the machine.
struct TickGate : QObject {
  bool open = false;
  bool eventFilter(QObject*, QEvent* event) override {
    return event->type() == QEvent::Timer && !open;
  }
};

int prop(const QWidget* w, const char* name) { return w->property(name).toInt(); }

// What the window shows of a widget, read from the screen without painting.
QImage onScreen(const QWidget* w) {
  const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
  return w->screen()
      ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TstSkinWindowProc : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> form_;
  QPushButton* button_ = nullptr;
  TickGate gate_;
  int moves_ = 0;

  QWidget* named(const QString& name) const { return form_->findChild<QWidget*>(name); }
  QPoint centre(const QWidget* w) { return w->rect().center() + QPoint(++moves_ % 2, 0); }

  void tick() {
    const int timer = prop(button_, "TIMERID");
    if (timer == 0) return;
    QTimerEvent event(timer);
    gate_.open = true;
    QCoreApplication::sendEvent(button_, &event);
    gate_.open = false;
  }

  // "move:NAME" "press:NAME" "release:NAME" (NAME defaults to the button),
  // "releaseoff" (outside it), "pressarrow" (on a combo's drop button),
  // "shift" (moves it), "off" (the pointer to the form), "dragoff", "space",
  // "unspace", "tickN", "settle" (ticks until the fade ends), "paint",
  // "disable", "enable", "focus".
  void play(const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
      const QString verb = step.section(':', 0, 0);
      QWidget* w = step.contains(':') ? named(step.section(':', 1)) : button_;
      QVERIFY2(w, qPrintable(step));
      if (verb == "move") QTest::mouseMove(w, centre(w));
      if (verb == "press") QTest::mousePress(w, Qt::LeftButton, {}, centre(w));
      if (verb == "release") QTest::mouseRelease(w, Qt::LeftButton, {}, centre(w));
      if (verb == "releaseoff") QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(-5, -5));
      if (verb == "pressarrow") QTest::mousePress(w, Qt::LeftButton, {}, {w->width() - 8, 12});
      if (verb == "shift") w->move(w->pos() + QPoint(0, 1));
      if (verb == "off") QTest::mouseMove(form_.get(), QPoint(2, form_->height() - 2));
      if (verb == "dragoff") QTest::mouseMove(w, QPoint(w->width() + 8, w->height() / 2));
      if (verb == "space") QTest::keyPress(w, Qt::Key_Space);
      if (verb == "unspace") QTest::keyRelease(w, Qt::Key_Space);
      if (verb.startsWith("tick"))
        for (int i = 0; i < verb.mid(4).toInt(); ++i) tick();
      if (verb == "settle")
        for (int i = 0; i < 200 && prop(button_, "TIMERID") != 0; ++i) tick();
      if (verb == "paint") w->repaint();
      if (verb == "disable" || verb == "enable") w->setEnabled(verb == "enable");
      if (verb == "focus") w->setFocus();
      QCoreApplication::processEvents();
    }
  }

  // The button's skin state, and which of its state images the window shows.
  QString describe() const {
    const QRect inner = button_->rect().adjusted(1, 1, -1, -1);
    const QImage face = onScreen(button_).copy(inner);
    QString shown = "blend";
    for (int state = 0; state < 4; ++state)
      if (skin::ButtonStateImage(*SkinSurfaces(), skin::lookOf(*button_), state).copy(inner) ==
          face)
        shown = QString::number(state);
    return QString("state=%1 alpha=%2%3 flag=%4 face=%5")
        .arg(prop(button_, "OLDSTATE"))
        .arg(prop(button_, "ALPHALEVEL"))
        .arg(prop(button_, "TIMERID") != 0 ? " fading" : "")
        .arg(prop(button_, "MOUSEFLAG"))
        .arg(shown);
  }

 private slots:
  void init() {
    form_ = std::make_unique<QWidget>();
    form_->resize(420, 320);
    button_ = new QPushButton("确定", form_.get());
    button_->setGeometry(10, 10, 90, 28);
    auto* check = new QCheckBox("表格线", form_.get());
    check->setGeometry(10, 50, 100, 20);
    for (int i = 0; i < 2; ++i) {
      auto* option = new QRadioButton(QString("对齐%1").arg(i), form_.get());
      option->setGeometry(10 + 110 * i, 80, 100, 20);
      option->setObjectName(QString("option%1").arg(i));
      option->setChecked(i == 0);
    }
    auto* list = new QComboBox(form_.get());
    list->addItems({"宋体", "黑体"});
    auto* editable = new QComboBox(form_.get());
    editable->setEditable(true);
    list->setGeometry(230, 10, 120, 24);
    editable->setGeometry(230, 45, 120, 24);
    auto* table = new QTableWidget(2, 3, form_.get());
    table->setGeometry(10, 120, 330, 120);
    for (auto [w, name] : {std::pair<QWidget*, const char*>{check, "check"},
                           {list, "list"},
                           {editable, "editable"},
                           {table->horizontalHeader(), "header"}})
      w->setObjectName(name);
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(SkinWindow(form_.get()), 1);
    button_->installEventFilter(&gate_);
    QTest::mouseMove(form_.get(), QPoint(2, form_->height() - 2));
    QCoreApplication::processEvents();
  }

  void cleanup() {
    form_.reset();
    QCOMPARE(SkinAttachedCount(), 0);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a test left a window behind");
  }

  // clang-format off
  void pushButton_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("at rest") << "" << "state=0 alpha=255 flag=0 face=0";
    QTest::newRow("the pointer comes") << "move" << "state=1 alpha=0 fading flag=1 face=0";
    QTest::newRow("twelve ticks in") << "move tick12" << "state=1 alpha=36 fading flag=1 face=blend";
    QTest::newRow("hot") << "move settle" << "state=1 alpha=0 flag=1 face=1";
    QTest::newRow("pressed at once") << "move settle press" << "state=2 alpha=0 flag=1 face=2";
    QTest::newRow("release fades from 60") << "move settle press release" << "state=0 alpha=60 fading flag=0 face=2";
    QTest::newRow("then normal") << "move press release settle" << "state=0 alpha=0 flag=0 face=0";
    QTest::newRow("hot again at the next move") << "move press release settle move" << "state=1 alpha=0 fading flag=1 face=0";
    QTest::newRow("leaving leaves it hot") << "move settle off" << "state=0 alpha=0 fading flag=0 face=1";
    QTest::newRow("leaving mid-fade") << "move tick4 off" << "state=0 alpha=0 fading flag=0 face=blend";
    QTest::newRow("and fades to normal") << "move settle off settle" << "state=0 alpha=0 flag=0 face=0";
    QTest::newRow("dragged off while held") << "move settle press dragoff" << "state=2 alpha=255 flag=1 face=2";
    QTest::newRow("space") << "space" << "state=2 alpha=0 flag=0 face=2";
    QTest::newRow("space let go") << "space unspace" << "state=0 alpha=0 fading flag=0 face=2";
    QTest::newRow("a paint during a fade settles it") << "move tick5 paint" << "state=1 alpha=255 flag=1 face=1";
    QTest::newRow("disabled") << "disable" << "state=3 alpha=255 flag=0 face=3";
    QTest::newRow("disabled while hot") << "move settle disable" << "state=3 alpha=255 flag=1 face=3";
    QTest::newRow("enabled again") << "disable enable" << "state=0 alpha=255 flag=0 face=0";
    QTest::newRow("the focus frame fades out") << "focus:check" << "state=0 alpha=0 fading flag=0 face=blend";
    QTest::newRow("and in") << "focus:check settle focus" << "state=0 alpha=0 fading flag=0 face=blend";
    QTest::newRow("the focus frame settles") << "focus:check settle focus settle" << "state=0 alpha=0 flag=0 face=0";
  }
  // clang-format on
  void pushButton() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    play(script);
    QCOMPARE(describe(), expected);
  }

  // The other controls' states, and how the header's second item is drawn.
  QString describeControls() const {
    QStringList parts;
    for (const char* name : {"check", "option0", "option1", "list", "editable"})
      parts << QString("%1=%2").arg(name).arg(prop(named(name), "OLDSTATE"));
    auto* header = static_cast<QHeaderView*>(named("header"));
    const QRgb item = onScreen(header->viewport()).pixel(header->sectionViewportPosition(1) + 1, 1);
    int drawn = -1;
    for (int state = 0; state < 3; ++state)
      drawn = SkinSurfaces()->HeaderSkin.pixel(3 * state + 1, 1) == item ? state : drawn;
    return parts.join(' ') + QString(" header=%1/%2 item1=%3")
                                 .arg(prop(header, "HDINDEX"))
                                 .arg(prop(header, "HMINDEX"))
                                 .arg(drawn);
  }

  // clang-format off
  void controls_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("changed");
    QTest::newRow("check box hot") << "move:check" << "check=1";
    QTest::newRow("check box pressed") << "move:check press:check" << "check=2";
    QTest::newRow("check box released") << "move:check press:check release:check" << "";
    QTest::newRow("check box left") << "move:check off" << "";
    QTest::newRow("space on an option") << "space:option1" << "option1=2";
    QTest::newRow("an option's click redraws its group") << "move:option0 move:option1 press:option1 release:option1" << "";
    QTest::newRow("list box hot") << "move:list" << "list=1";
    QTest::newRow("a moved combo box is normal") << "move:list shift:list" << "";
    QTest::newRow("editable pressed in its text") << "move:editable press:editable" << "";
    QTest::newRow("editable pressed on its button") << "pressarrow:editable" << "editable=2";
    QTest::newRow("header item hot") << "move:header" << "header=-1/1 item1=1";
    QTest::newRow("header item pressed") << "move:header press:header" << "header=1/1 item1=2";
    QTest::newRow("released over the header: normal") << "move:header press:header release:header" << "header=-1/1 item1=0";
    QTest::newRow("released outside it, then left") << "move:header press:header releaseoff:header" << "";
    QTest::newRow("the header left") << "move:header off" << "";
  }
  // clang-format on
  void controls() {
    QFETCH(QString, script);
    QFETCH(QString, changed);
    QStringList expected = describeControls().split(' ');
    for (const QString& entry : changed.split(' ', Qt::SkipEmptyParts))
      for (QString& part : expected)
        if (part.section('=', 0, 0) == entry.section('=', 0, 0)) part = entry;
    play(script);
    QCOMPARE(describeControls(), expected.join(' '));
  }

  void resizedButtonIsRebuilt() {
    button_->resize(130, 40);
    QCoreApplication::processEvents();
    QCOMPARE(describe(), QString("state=0 alpha=255 flag=0 face=0"));
    const QRegion shape = button_->mask();
    QVERIFY2(!shape.contains(QPoint(129, 39)) && shape.contains(QPoint(128, 39)),
             "the rounded shape follows the new size");
  }
};

QTEST_MAIN(TstSkinWindowProc)

#include "tst_skin_window_proc.moc"
