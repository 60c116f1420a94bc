// The mouse goes through the window system, as a user's would: enter and
// leave events, the grab of a pressed button.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <QtWidgets>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "gridorm/skin/button_face.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skinner.h"
#include "tests/support/test_helpers.h"

using namespace skin;

// Lets through only the fade ticks the test sends, so that a fade goes
// exactly as far as a script says, however slow the machine.
struct TickGate : QObject {
  bool open = false;
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Timer && !open; }
};

static int prop(const QWidget* w, const char* name) { return w->property(name).toInt(); }
static QRgb rgb(ColourRef c) { return colour::toPixel(c); }
const QRgb kGrey = qRgb(128, 128, 128);

// A window and its controls: its descendants that are not windows of their own.
static QList<QWidget*> windowAndControls(QWidget* window) {
  QList<QWidget*> all = window->findChildren<QWidget*>();
  all.removeIf([window](const QWidget* w) { return w->window() != window; });
  return all << window;
}

static bool allAttached(QWidget* window) {
  return std::ranges::all_of(windowAndControls(window),
                             [](auto* w) { return w->property("PROCADDR").isValid(); });
}

// Everything attaching may change on a widget and detaching must give back.
static QString stateOf(const QWidget* w) {
  QString state = QString::asprintf("style=%p own=%d mask=%d tracking=%d hover=%d",
                                    static_cast<const void*>(w->style()),
                                    w->testAttribute(Qt::WA_SetStyle), w->mask().rectCount(),
                                    w->hasMouseTracking(), w->testAttribute(Qt::WA_Hover));
  for (const QByteArray& name : w->dynamicPropertyNames())
    state += ' ' + name + '=' + w->property(name).toString();
  return state;
}

// The colours at the corners and edge middles of a picture's outermost ring
// of pixels, and of the ring inside it: "outer | inner", each colour once.
static QString rings(const QImage& image) {
  QStringList found[2];
  const int r = image.width() - 1, b = image.height() - 1;
  for (int i : {0, 1})
    for (QPoint at :
         {QPoint(i, i), QPoint(r - i, i), QPoint(i, b - i), QPoint(r - i, b - i), QPoint(r / 2, i),
          QPoint(i, b / 2), QPoint(r - i, b / 2), QPoint(r / 2, b - i)})
      if (const QString c = QColor(image.pixel(at)).name(); !found[i].contains(c)) found[i] << c;
  return found[0].join(' ') + " | " + found[1].join(' ');
}

// Which of a push button's state images the window shows: "0".."3", the
// pressed image with the hot one blended over it at 140 ("2+1@140"), or "blend".
static QString faceOf(const QPushButton* button) {
  const QRect inner = button->rect().adjusted(1, 1, -1, -1);  // inside the rounded corners
  const QImage shown = onScreen(button).copy(inner);
  for (int state = 0; state < 4; ++state)
    if (ButtonStateImage(*SkinSurfaces(), lookOf(*button), state).copy(inner) == shown)
      return QString::number(state);
  ButtonFace face;
  face.render(*SkinSurfaces(), lookOf(*button), kPressed);
  face.blend(kHot, kLeaveOpacity);
  return face.face().copy(inner) == shown ? "2+1@140" : "blend";
}

// A progress bar's minimum, maximum and value, whether it stands upright, and
// the share of it that is filled.
using Progress = std::tuple<QList<int>, bool, double>;

class TstSkinner : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> form_;
  QPushButton* button_ = nullptr;
  TickGate gate_;
  int moves_ = 0;
  std::unique_ptr<QSignalSpy> clicks_;

  template <typename W>
  W* add(W* w, QRect geometry, const char* name = "") {
    w->setParent(form_.get());
    w->setGeometry(geometry);
    w->setObjectName(name);
    w->show();
    return w;
  }
  QWidget* named(const QString& name) const { return form_->findChild<QWidget*>(name); }

  void skin() {
    QCOMPARE(SkinWindow(form_.get()), 1);
    button_->installEventFilter(&gate_);
    QTest::mouseMove(form_.get(), QPoint(2, form_->height() - 2));
  }

  // "move:NAME" "press:NAME" "release:NAME" (NAME defaults to the button),
  // "pressarrow" / "pressedge" / "movearrow" / "movetext" (on a combo's drop
  // button / its frame / its text part), "shift" (moves it), "off" (the
  // pointer to the form), "dragoff", "releaseoff" (on the form), "space",
  // "unspace", "unkey" (another key's release), "tickN", "settle" (ticks until the fade ends),
  // "real" (the fade's own 15 ms timer, until it stops), "paint", "disable", "enable", "focus",
  // "rename", "hide" (a combo box's list).
  void play(const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
      const QString verb = step.section(':', 0, 0);
      QWidget* w = step.contains(':') ? named(step.section(':', 1)) : button_;
      // Moves alternate between two points: a move to where the pointer is moves nothing.
      const QPoint centre = w->rect().center() + QPoint(verb == "move" ? 1 + ++moves_ % 2 : 0, 0);
      const QPoint arrow(w->width() - 8, 12), off(2, form_->height() - 2);
      if (verb == "move") QTest::mouseMove(w, centre);
      if (verb == "press") QTest::mousePress(w, Qt::LeftButton, {}, centre);
      if (verb == "release") QTest::mouseRelease(w, Qt::LeftButton, {}, centre);
      if (verb == "pressarrow") QTest::mousePress(w, Qt::LeftButton, {}, arrow);
      if (verb == "releasearrow") QTest::mouseRelease(w, Qt::LeftButton, {}, arrow);
      if (verb == "pressedge") QTest::mousePress(w, Qt::LeftButton, {}, {1, 12});
      if (verb == "movearrow") QTest::mouseMove(w, arrow);
      if (verb == "moveedge") QTest::mouseMove(w, {0, 12});
      if (verb == "movetext") QTest::mouseMove(w, w->findChild<QLineEdit*>()->geometry().center());
      if (verb == "releaseoff") QTest::mouseRelease(form_.get(), Qt::LeftButton, {}, off);
      if (verb == "shift") w->move(w->pos() + QPoint(0, 1));
      if (verb == "resize") w->resize(w->size() + QSize(-4, 10));
      if (verb == "off") QTest::mouseMove(form_.get(), off);
      if (verb == "pointer") QCursor::setPos(w->mapToGlobal(centre));  // where it truly is
      if (verb == "dragoff") QTest::mouseMove(w, QPoint(w->width() + 8, w->height() / 2));
      if (verb == "space") QTest::keyPress(w, Qt::Key_Space);
      if (verb.startsWith("un")) QTest::keyRelease(w, verb == "unkey" ? Qt::Key_A : Qt::Key_Space);
      // Ticks are sent while the fade lasts; "settle" sends them until it ends.
      const int ticks = verb == "settle" ? 200 : verb.startsWith("tick") ? verb.mid(4).toInt() : 0;
      gate_.open = true;
      for (int i = 0; i < ticks && prop(button_, "TIMERID") != 0; ++i) {
        QTimerEvent event(prop(button_, "TIMERID"));
        QCoreApplication::sendEvent(button_, &event);
      }
      if (verb == "real") QTRY_COMPARE_WITH_TIMEOUT(prop(button_, "TIMERID"), 0, 10000);
      gate_.open = false;
      if (verb == "paint") w->repaint();
      if (verb == "disable" || verb == "enable") w->setEnabled(verb == "enable");
      if (verb == "focus") w->setFocus();
      if (verb == "rename") static_cast<QPushButton*>(w)->setText("另存为");
      if (verb == "hide") static_cast<QComboBox*>(w)->hidePopup();
      QCoreApplication::processEvents();
    }
  }

 private slots:
  void init() {
    failOnConsoleNoise();
    form_ = std::make_unique<QWidget>();
    form_->resize(420, 320);
    // The project's own button, red: the skin reaches it through the style all the same.
    button_ = add(new FaceButton("确定"), {10, 10, 90, 28});
    clicks_ = std::make_unique<QSignalSpy>(button_, &QPushButton::clicked);
    static_cast<FaceButton*>(button_)->setBackColor(0x000000FF);
    add(new QPushButton("own style"), {110, 10, 90, 28})->setStyle(QApplication::style());
    // A property of the engine's name that the application set itself.
    add(new QCheckBox("表格线"), {10, 50, 100, 20}, "check")->setProperty("OLDSTATE", "ours");
    add(new QRadioButton("居左"), {10, 80, 100, 20}, "option0")->setChecked(true);
    add(new QRadioButton("居中"), {120, 80, 100, 20}, "option1");
    add(new QComboBox, {230, 10, 120, 24}, "list")->addItems({"宋体", "黑体"});
    add(new QComboBox, {230, 45, 120, 24}, "editable")->setEditable(true);
    add(new QTableWidget(2, 3), {10, 120, 330, 120})->horizontalHeader()->setObjectName("header");
    auto* shaped = add(new QPushButton, {350, 250, 20, 20});  // a shape of its own
    shaped->setMask(QRegion(0, 0, 5, 5, QRegion::Ellipse));
    shaped->setMouseTracking(true);
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }

  void cleanup() {
    form_.reset();
    QCOMPARE(SkinAttachedCount(), 0);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a test left a window behind");
  }

  // ---- attaching and detaching -------------------------------------------------

  void attachingAndDetaching() {
    // A button without hover repaints, as its program chose: detaching gives that back.
    form_->findChild<QPushButton*>()->setAttribute(Qt::WA_Hover, false);
    const QList<QWidget*> widgets = windowAndControls(form_.get());
    QStringList before;
    for (QWidget* w : widgets) before << stateOf(w);
    QCOMPARE(SkinWindow(nullptr) + AttachSkin(nullptr) + DetachSkin(form_.get()), 0);
    skin();
    QVERIFY(allAttached(form_.get()));
    QCOMPARE(SkinWindow(form_.get()) + AttachSkin(form_.get()), 0);
    QCOMPARE(SkinAttachedCount(), widgets.size());
    // Controls added later are skinned, however deep.
    auto* later = add(new QPushButton("later"), {10, 260, 60, 24});
    new QCheckBox("inner", add(new QWidget, {80, 260, 60, 24}));
    QTRY_VERIFY(allAttached(form_.get()));
    // The new button has the rounded shape: its rectangle without the four corner pixels.
    QCOMPARE(later->mask(), QRegion(1, 0, 58, 24) + QRegion(0, 1, 60, 22));
    later->animateClick();  // a shortcut's press, let go by the button's own timer: not the skin's
    QTRY_VERIFY(!later->isDown());
    play("move press release move:check move:header");  // marks in the properties
    // Once detached, there is nothing left to detach.
    QCOMPARE(QString("%1 %2").arg(DetachSkin(form_.get())).arg(DetachSkin(form_.get())), "1 0");
    for (qsizetype i = 0; i < widgets.size(); ++i) QCOMPARE(stateOf(widgets[i]), before[i]);
    QVERIFY(!SkinInitialised() && !SkinSurfaces() && SkinAttachedCount() == 0);
  }

  void engineRestsWithTheLastWindowAndWakesAgain() {
    auto other = std::make_unique<QWidget>();
    QCOMPARE(SkinWindow(form_.get()) + SkinWindow(other.get()), 2);
    form_.reset();
    QVERIFY(SkinInitialised() && SkinSurfaces());
    other.reset();
    QVERIFY(!SkinInitialised() && !SkinSurfaces() && SkinAttachedCount() == 0);
    form_ = std::make_unique<QWidget>();
    QCOMPARE(SkinWindow(form_.get()), 1);
    QVERIFY(SkinSurfaces() && SkinSurfaces()->ButtonSkin.size() == QSize(7, 84));
  }

  // The file dialog, whose controls lie deepest of the program's dialogs.
  void dialogsOverASkinnedWindow() {
    skin();
    const int before = SkinAttachedCount();
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QDialog* dialog = new QFileDialog(form_.get());
    dialog->show();
    dialog->activateWindow();
    QTRY_VERIFY(allAttached(dialog));
    QCOMPARE(SkinAttachedCount(), before + windowAndControls(dialog).size());
    delete dialog;
    QCOMPARE(SkinAttachedCount(), before);
  }

  // An open list, the first time and again: the frame line, and a white ring
  // inside it over the list's rows.
  void comboListSkinnedWhenShown() {
    skin();
    auto* combo = static_cast<QComboBox*>(named("list"));
    for (int opening = 0; opening < 2; ++opening) {
      combo->showPopup();
      QWidget* list = combo->view()->parentWidget();
      QTRY_VERIFY(list->property("PROCADDR").isValid());
      QCOMPARE(rings(list->grab().toImage()),
               QColor(rgb(kFrameEnabled)).name() + " | " + QColor(rgb(kWhite)).name());
      combo->hidePopup();
    }
  }

  // ---- the controls' states ---------------------------------------------------

  // A user's script over the skinned window, and the entries of describe()
  // it changes from those at rest. The push button: its state properties, the
  // state image the window shows (see faceOf) and whether it was clicked.
  // Each "|" in a script is a checkpoint: the changes checked there (also from
  // those at rest) are the matching part of the second column.
  // clang-format off
  void controls_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("changed");
    QTest::newRow("at rest, then twelve ticks in") << "| move tick12" << "state=0 alpha=255 fading=0 flag=0 face=0 clicked=0 items=00 empty=1 | state=1 alpha=36 fading=1 flag=1 face=blend";
    QTest::newRow("pressed at once, then dragged off while held") << "move settle press | dragoff" << "state=2 alpha=0 flag=1 face=2 | state=2 alpha=255 flag=1 face=2";
    QTest::newRow("release fades from 60") << "move settle press release" << "state=0 alpha=60 fading=1 flag=0 face=2 clicked=1";
    QTest::newRow("then normal, hot again at the next move") << "move press release settle | move" << "state=0 alpha=0 flag=0 face=0 clicked=1 | state=1 alpha=0 fading=1 flag=1 face=0 clicked=1";
    QTest::newRow("released off itself: hot at 140, no click; then normal") << "move settle press dragoff releaseoff | settle" << "state=0 alpha=0 fading=1 flag=0 face=2+1@140 | state=0 alpha=0 flag=0 face=0";
    QTest::newRow("the real timer fades in and stops") << "move real" << "state=1 alpha=0 flag=1 face=1";
    QTest::newRow("leaving leaves it hot") << "move settle off" << "state=0 alpha=0 fading=1 flag=0 face=1";
    QTest::newRow("space, another key let go, space let go") << "space | unkey | unspace" << "state=2 alpha=0 flag=0 face=2 | state=2 alpha=0 flag=0 face=2 | state=0 alpha=0 fading=1 flag=0 face=2 clicked=1";
    QTest::newRow("a new caption shows at once") << "move settle rename" << "state=1 alpha=255 flag=1 face=1";
    QTest::newRow("a paint during a fade settles it") << "move tick5 paint" << "state=1 alpha=255 flag=1 face=1";
    QTest::newRow("disabled, enabled again") << "disable | enable" << "state=3 alpha=255 flag=0 face=3 | state=0 alpha=255 flag=0 face=0";
    QTest::newRow("disabled while hot") << "move settle disable" << "state=3 alpha=255 flag=1 face=3";
    QTest::newRow("the focus frame fades out and in") << "focus:check | settle focus settle" << "state=0 alpha=0 fading=1 flag=0 face=blend | state=0 alpha=0 flag=0 face=0";
    QTest::newRow("resized: new images, new shape") << "move settle resize" << "state=1 alpha=255 flag=1 face=1";
    QTest::newRow("check box left twice, hot again, pressed") << "move:check off move:check off | move:check | press:check" << " | check=1 | check=2";
    QTest::newRow("a repaint settles the box") << "move:check paint:check" << "";
    QTest::newRow("space on an option") << "space:option1" << "option1=2";
    QTest::newRow("an option's click") << "move:option0 move:option1 press:option1 release:option1" << "";
    QTest::newRow("list box hot; moved, it is normal") << "move:list | shift:list" << "list=1 |";
    // The pointer over another control when the list closes, though the box had it last; then over the box.
    QTest::newRow("a closed list leaves it normal, or hot till left") << "move:list press:list release:list pointer hide:list | press:list release:list pointer:list hide:list | off" << " | list=1 | ";
    QTest::newRow("editable pressed off its button") << "pressedge:editable" << "";
    QTest::newRow("editable pressed on its button, hot once released") << "pressarrow:editable | releasearrow:editable" << "editable=2 | editable=1";
    QTest::newRow("editable hot over its button; left, normal again") << "movearrow:editable | off" << "editable=1 |";
    QTest::newRow("its text part is another window") << "movearrow:editable movetext:editable" << "";
    QTest::newRow("header item hot, pressed, released over it: normal") << "move:header | press:header | release:header" << "header=-1/1 items=01 | header=1/1 items=02 | header=-1/1 items=00";
    QTest::newRow("the first item hot from its first pixel; the second, the first normal") << "moveedge:header | move:header" << "header=-1/0 items=10 | header=-1/1 items=01";
    QTest::newRow("the header left") << "move:header off" << "";
  }
  // clang-format on
  void controls() {
    QFETCH(QString, script);
    QFETCH(QString, changed);
    skin();
    const auto describe = [&] {
      QStringList parts;  // the push button's entries, in its own rows
      if (changed.startsWith("state="))
        parts = QString::asprintf("state=%d alpha=%d fading=%d flag=%d face=%s clicked=%d",
                                  prop(button_, "OLDSTATE"), prop(button_, "ALPHALEVEL"),
                                  prop(button_, "TIMERID") != 0, prop(button_, "MOUSEFLAG"),
                                  qPrintable(faceOf(button_)), !clicks_->isEmpty())
                    .split(' ');
      for (const char* name : {"check", "option0", "option1", "list", "editable"})
        parts << QString("%1=%2").arg(name).arg(prop(named(name), "OLDSTATE"));
      auto* header = static_cast<QHeaderView*>(named("header"));
      const QImage shown = onScreen(header->viewport());
      const QImage& skin = SkinSurfaces()->HeaderSkin;  // its normal, hot and pressed cells
      QString drawn;  // the states whose cells the header's first two items show
      for (int i : {0, 1}) {
        const QRgb item = shown.pixel(header->sectionViewportPosition(i) + 1, 1);
        int state = 2;
        while (state >= 0 && skin.pixel(headerCell(state).x + 1, 1) != item) --state;
        drawn += QString::number(state);
      }
      return parts
             << QString("header=%1/%2").arg(prop(header, "HDINDEX")).arg(prop(header, "HMINDEX"))
             << "items=" + drawn
             // Right of the last item, the skin's background.
             << QString("empty=%1").arg(shown.pixel(shown.width() - 2, 1) == skin.pixel(1, 1));
    };
    const QStringList rest = describe(), steps = script.split('|'), changes = changed.split('|');
    for (qsizetype at = 0; at < steps.size(); ++at) {
      QStringList expected = rest;
      for (const QString& entry : changes[at].split(' ', Qt::SkipEmptyParts))
        for (QString& part : expected)
          if (part.section('=', 0, 0) == entry.section('=', 0, 0)) part = entry;
      play(steps[at]);
      QCOMPARE(describe().join(' '), expected.join(' '));
    }
  }

  // ---- what the style paints --------------------------------------------------

  // Every family in every state, enabled or not, with every mark (1 checked,
  // 2 partly), painted through the style as the engine keeps the state. A
  // row's name holds its control, state, "on" or "off" and mark.
  void sweep_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"check", "option1", "list", "editable"})
      for (int state = 0; state < 4; ++state)
        for (const char* on : {"on", "off"})
          for (int mark = 0; mark < (name[0] == 'c' ? 3 : name[0] == 'o' ? 2 : 1); ++mark)
            QTest::addRow("%s %d %s %d", name, state, on, mark) << name;
  }
  void sweep() {
    QFETCH(QString, name);
    const QStringList row = QString(QTest::currentDataTag()).split(' ');
    const int state = row[1].toInt(), mark = row[3].toInt(), enabled = row[2] == "on";
    skin();
    QWidget* w = named(name);
    w->setEnabled(enabled);
    w->setProperty("OLDSTATE", state);
    QImage image = filled(w->width(), w->height(), kGrey);
    QPainter painter(&image);
    const QStyle* style = w->style();
    const SkinBitmaps& bitmaps = *SkinSurfaces();
    const QRgb line = rgb(enabled ? kFrameEnabled : kFrameDisabled);
    if (name == "list" || name == "editable") {
      QStyleOptionComboBox opt;
      opt.initFrom(w);
      opt.editable = name == "editable";
      style->drawComplexControl(QStyle::CC_ComboBox, &opt, &painter, w);
      QCOMPARE(image.pixel(0, 0), line);
      // One white ring inside the line; inside it a list shows the previous
      // style's face, an editable box is white throughout.
      QCOMPARE(image.pixel(1, w->height() / 2), rgb(kWhite));
      QCOMPARE(image.pixel(2, w->height() / 2) == rgb(kWhite), opt.editable);
      const int button = style->pixelMetric(QStyle::PM_ScrollBarExtent, &opt, w) + 1;
      QCOMPARE(image.pixel(w->width() - button - 1, w->height() / 2),
               state % 3 ? bitmaps.ComboSkin.pixel(state == kHot ? 0 : 4, 8) : rgb(kWhite));
    } else {
      const bool check = name == "check";
      QStyleOptionButton opt;
      opt.initFrom(w);
      opt.state |= std::array{QStyle::State_Off, QStyle::State_On, QStyle::State_NoChange}[mark];
      style->drawControl(check ? QStyle::CE_CheckBox : QStyle::CE_RadioButton, &opt, &painter, w);
      const QRect box = style->subElementRect(
          check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &opt, w);
      const QRgb middle = image.pixel(box.center() + QPoint(1, 1));
      const Cell dot = enabled ? kDotEnabled : kDotDisabled, round = boxCell(enabled ? state : 3);
      const Cell cell = mark == 1 ? (enabled ? kCheckEnabled : kCheckDisabled)
                                  : (enabled ? kSquareEnabled : kSquareDisabled);
      if (!check) {
        QCOMPARE(image.pixel(box.topLeft()), kGrey);  // the key colour lets the window show
        QCOMPARE(middle, mark ? bitmaps.MarkSkin.pixel(dot.x + 3, dot.y + 3)
                              : bitmaps.BoxSkin.pixel(round.x + 6, round.y + 6));
        return;
      }
      const bool pressed = enabled && state == kPressed, hot = enabled && state == kHot;
      for (QPoint edge : {box.topLeft(), QPoint(box.right(), box.center().y())})
        QCOMPARE(image.pixel(edge), pressed ? rgb(kCheckFramePressed) : line);
      // Hot and pressed boxes are filled (from the option box's middle rows), side to side.
      for (int x : {box.left() + 1, box.right() - 1})
        QCOMPARE(image.pixel(x, box.center().y()) == rgb(kWhite), !hot && !pressed);
      // Each from its own strip of the box bitmap, whose middle row lands on an unmarked box's
      // middle.
      const Cell strip = hot ? kCheckHotStrip : kCheckPressedStrip;
      if ((hot || pressed) && !mark)
        QCOMPARE(image.pixel(box.left() + 2, box.center().y()),
                 bitmaps.BoxSkin.pixel(strip.x + 1, strip.y + strip.height / 2));
      if (mark) QCOMPARE(middle, bitmaps.MarkSkin.pixel(cell.x + 5, cell.y + 3 + (mark == 1)));
    }
  }

  void progressFillsItsShareOfItsRange_data() {
    QTest::addColumn<Progress>("row");
    QTest::newRow("Qt's 0-100 at 42") << Progress{QList{0, 100, 42}, false, 0.42};
    QTest::newRow("full, vertical") << Progress{QList{0, 100, 100}, true, 1.0};
    QTest::newRow("-50 to 50 at 0, vertical") << Progress{QList{-50, 50, 0}, true, 0.5};
    QTest::newRow("busy (no range)") << Progress{QList{0, 0, 0}, false, 0.0};
  }
  void progressFillsItsShareOfItsRange() {
    QFETCH(Progress, row);
    const auto& [range, vertical, share] = row;
    skin();
    auto* bar = add(new QProgressBar, {350, 10, vertical ? 24 : 90, vertical ? 90 : 24});
    bar->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    bar->setTextVisible(false);
    bar->setRange(range[0], range[1]);
    bar->setValue(range[2]);
    QTRY_VERIFY2(bar->property("PROCADDR").isValid(), "a bar added to a skinned form is skinned");
    const QImage image = bar->grab().toImage();
    QCOMPARE(image.pixel(0, 0), rgb(kFrameEnabled));
    const int inner = (vertical ? bar->height() : bar->width()) - 2;
    int filled = 0;
    for (int i = 1; i <= inner; ++i)
      filled += image.pixel(vertical ? 12 : i, vertical ? i : 12) == rgb(kProgressFill);
    QCOMPARE(filled, qRound(inner * share));
    QCOMPARE(image.pixel(vertical ? QPoint(12, inner) : QPoint(1, 12)),
             rgb(share > 0 ? kProgressFill : kWhite));  // filled from the bottom or the left
  }

  // A sunken edge becomes a flat line in the frame colour with the rest of the
  // border in the control's own background: a canvas's white in a teal window,
  // a field's base; no shadow or rounded corner of the previous style is left.
  void sunkenEdgesGoFlat() {
    QPalette teal = form_->palette();
    teal.setColor(QPalette::Window, QColor(0x00, 0x40, 0x40));
    form_->setPalette(teal);
    auto* box = add(new PictureBox, {350, 60, 60, 60});
    box->setBackColor(colour::rgb(255, 255, 255));
    auto* edit = add(new QLineEdit, {350, 130, 60, 24});
    auto* off = add(new QLineEdit, {350, 160, 60, 24});
    off->setEnabled(false);
    auto* rule = add(new QFrame, {350, 190, 60, 8});  // a separator, which keeps its look
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    const QImage ruleBefore = rule->grab().toImage();
    skin();
    QCOMPARE(rule->grab().toImage(), ruleBefore);
    for (QWidget* w : QWidgetList{box, edit, off}) {
      const QColor inside = w == box ? Qt::white : w->palette().color(QPalette::Base);
      const QRgb line = rgb(w->isEnabled() ? kFrameEnabled : kFrameDisabled);
      QCOMPARE(rings(w->grab().toImage()), QColor(line).name() + " | " + inside.name());
    }
  }
};

QTEST_MAIN(TstSkinner)

#include "tst_skinner.moc"
