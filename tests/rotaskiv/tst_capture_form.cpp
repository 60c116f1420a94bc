#include <QtTest>
#include <QtWidgets>
#include <map>

#include "common/cursor_override.h"
#include "rotaskiv/annotation_layer.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/pin_window.h"
#include "rotaskiv/screen_source.h"
#include "rotaskiv/style_constants.h"
#include "rotaskiv/toolbar_icons.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// A desktop of two screens (two_screens.json): the primary as the offscreen
// platform's default one, and a smaller one right of it and lower, at two
// device pixels a pixel. Set before the application is made, unless another
// platform was asked for.
const bool kTwoScreens = [] {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  return (platform.isEmpty() || platform == "offscreen") &&
         qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TWO_SCREENS_CONFIG);
}();

// Screens that always show the same known pictures.
struct FixedScreen : ScreenSource {
  DesktopGrab grab() override { return result; }
  DesktopGrab result;
};

const QRect kSelection(100, 100, 200, 120);

// A selection's case: the actions (see play(), in that screen's pixels), the
// screen it ends on, and the copy in that screen's device pixels (empty: Esc).
using Selection = std::tuple<QString, int, QRect>;

// A loupe's case: the screen, where the drag starts and where the pointer is,
// the loupe's top-left in device pixels and its cells a side.
using Loupe = std::tuple<int, QPoint, QPoint, QPoint, int>;

// An annotation's case: the tool, the screen, where its drag (or click, for the text) starts
// and ends, and a point on what it draws, away from its handles.
using Edit = std::tuple<ToolbarButton, int, QPoint, QPoint, QPoint>;
using capture::Annotation;

// Whether each block of `block` x `block` pixels of `area`, laid from its
// top-left, is one flat colour.
bool flatBlocks(const QImage& image, QRect area, int block) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) !=
          image.pixel(x - (x - area.left()) % block, y - (y - area.top()) % block))
        return false;
  return true;
}

// The area each widget painted, in its own pixels.
struct PaintedArea : QObject {
  std::map<QObject*, qint64> area;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const QRect r = static_cast<QPaintEvent*>(event)->rect();
      area[watched] += qint64(r.width()) * r.height();
    }
    return false;
  }
};

class TestCaptureForm : public WindowTest {
  Q_OBJECT

  FixedScreen screen_;
  std::unique_ptr<QWidget> owner_;
  QPointer<CaptureForm> form_;
  QString saved_;  // the file the save dialog was answered with

  // Opens the window over known pictures of the first `screens` screens, the
  // second's unlike the primary's anywhere, and drags out `selection`.
  // A `portal` picture of the whole desktop is cut into the screens instead.
  void open(QRect selection = kSelection, int screens = 1, const QImage& portal = QImage()) {
    screen_.result = {};
    std::vector<ScreenLayout> layout;
    for (int i = 0; i < screens; ++i) {
      const QScreen* on = QGuiApplication::screens().at(i);
      layout.push_back({on->geometry(), on->devicePixelRatio()});
      const QSize size = on->size() * on->devicePixelRatio();
      QImage picture = patternImage(size.width(), size.height());
      if (i == 1) picture = picture.rgbSwapped();
      picture.setDevicePixelRatio(on->devicePixelRatio());
      screen_.result.screens.push_back({on->geometry(), picture});
    }
    if (!portal.isNull()) screen_.result.screens = cutPortalPicture(portal, layout);
    form_ = new CaptureForm(owner_.get());
    form_->Show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));  // before any move
    if (!selection.isEmpty())
      drag(form_, selection.topLeft(), selection.bottomRight() + QPoint(1, 1));
  }
  void drag(QWidget* on, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton,
            Qt::KeyboardModifiers atRelease = {}) {
    QTest::mousePress(on, button, {}, from);
    QTest::mouseMove(on, (from + to) / 2);
    QTest::mouseMove(on, to);
    QTest::mouseRelease(on, button, atRelease, to);
  }
  void click(ToolbarButton button) {
    QTest::mouseClick(form_->Picture1->Image2[buttonIndex(button)], Qt::LeftButton);
  }
  // Whether `control` shows the border every hot control takes at `at`.
  static bool hot(QWidget* control, QPoint at = {}) {
    return control->grab().toImage().pixel(at) == colour::toPixel(style_constants::kHoverBorder);
  }
  QImage screen(QRect r = QRect()) const { return screen_.result.screens[0].image.copy(r); }
  // Screen `on` frozen, with `annotations` drawn on it as they are drawn to be
  // kept, cut to `device`: what a copy of the selection must hold.
  QImage annotated(int on, const std::vector<Annotation>& annotations, QRect device) const {
    capture::AnnotationLayer layer;
    for (const Annotation& a : annotations) layer.add(a);
    return capture::renderAnnotations(screen_.result.screens[on].image, layer).copy(device);
  }
  // What the window shows: the frame (its handles if they are missing), the
  // size label, the history's count, and the toolbar, the text box and the
  // option panel when they show; or that it closed. Then whether the
  // clipboard or the saved file holds the screen under the frame, or the
  // picture annotated there, and whether a message was shown.
  QString describe() const {
    if (form_.isNull()) return "gone";
    const auto at = [](const QWidget* w) { return QString::asprintf("%d,%d", w->x(), w->y()); };
    const auto size = [](auto* w) { return QString::asprintf(" %dx%d", w->width(), w->height()); };
    const QRect f = form_->Shape1->geometry();
    QStringList words{QString("history %1").arg(form_->session().history().count())};
    const QString label = "label " + at(form_->LblPos) + ' ' + form_->LblPos->text();
    // Closed, it leaves the pointer's shape to the window under it.
    const QString closed = cursor_override::current() ? "closed, its cursor kept" : "closed";
    words.prepend(form_->isHidden() ? closed : form_->LblPos->isVisible() ? label : "no label");
    if (form_->Shape1->isVisible())
      words.prepend("frame " + at(form_->Shape1) + size(form_->Shape1));
    if (form_->Shape1->isVisible() && !form_->Image1[5]->isVisible()) words << "no handles";
    if (form_->lblInfo->isVisible() != form_->LblPos->isVisible() ||
        form_->lblInfo->pos() != form_->LblPos->geometry().bottomLeft() + QPoint(0, 3))
      words << "info label apart";  // or not two pixels below the size label
    if (form_->Picture1->isVisible()) words << "toolbar " + at(form_->Picture1);
    if (form_->TextEdit->isVisible()) words << "typing";
    if (form_->Picture2->isVisible())
      words << "panel " + at(form_->Picture2) + size(form_->Picture2);
    const QImage annotated = form_->session().picture().copy(f);
    for (const auto& [word, image] :
         {std::pair{"copied", QGuiApplication::clipboard()->image()},
          std::pair{"saved", saved_.isEmpty() ? QImage() : QImage(saved_)}})
      if (!image.isNull())
        words << word + QString(imageDifference(image, screen(f)).isEmpty()   ? ""
                                : imageDifference(image, annotated).isEmpty() ? " annotated"
                                                                              : " other");
    if (!dialogs_->messages().isEmpty()) words << "reported";
    return words.join(' ');
  }

  // Plays actions: tool:N clicks Image2(N), twice:N double-clicks it; drag:x,y-x,y, drag1:x,y-x,y
  // on the second screen, rdrag:x,y-x,y with the right button, click:x,y and dclick:x,y;
  // cap:x1,y1,x2,y2 calls ScrnCap; save:NAME answers the save dialog with that file of the test's
  // folder ("-": cancels); strip:NAME@x,y drags a little on that strip's control, where the pointer
  // must be an arrow; focus:Text1 clicks into the font-size box; type:T and key:K (Esc, Left ...
  // Down, Shift+...) go to the control that has the keyboard.
  void play(const QString& script) {
    QWidget* surface = form_;
    for (const QString& action : script.split(' ')) {
      const QString value = action.section(':', 1);
      const QStringList n = value.split(QRegularExpression("[,@-]"));
      const auto point = [&](int i) { return QPoint(n.value(i).toInt(), n.value(i + 1).toInt()); };
      // On the surface of the selection's screen, where its controls are.
      QWidget* focus = form_->Picture1->window()->focusWidget();
      QWidget* keyboard = focus != nullptr ? focus : surface;
      if (action.startsWith("tool:")) click(ToolbarButton(value.toInt()));
      if (action.startsWith("cap:"))
        form_->ScrnCap(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt());
      if (action.startsWith("twice:")) {
        // A double-click as the window system delivers it: press, release,
        // then the second press as a double-click, and its release.
        QWidget* button = form_->Picture1->Image2[value.toInt()];
        QTest::mouseClick(button, Qt::LeftButton);
        QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(5, 5),
                           button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(button, &second);
        QTest::mouseRelease(button, Qt::LeftButton);
      }
      if (action.contains(QRegularExpression("^r?drag"))) {
        surface = form_->surfaces()[action.startsWith("drag1") ? 1 : 0];
        drag(surface, point(0), point(2), action[0] == 'r' ? Qt::RightButton : Qt::LeftButton);
      }
      if (action.contains(QRegularExpression("^d?click:")))
        QTest::mouseClick(form_, Qt::LeftButton, {}, point(0));
      // A click, then the double-click event of the second press.
      if (action.startsWith("dclick:")) QTest::mouseDClick(form_, Qt::LeftButton, {}, point(0));
      if (action.startsWith("save:")) saved_ = value == "-" ? QString() : dir_->filePath(value);
      if (action.startsWith("save:"))
        dialogs_->answerSave(saved_.isEmpty() ? std::nullopt : std::optional(saved_));
      if (action.startsWith("strip:")) {
        QWidget* strip = form_->findChild<QWidget*>(n[0]);
        QVERIFY2(strip != nullptr, qPrintable(n[0]));
        for (bool pressed : {true, false}) {  // a drag, then the pointer alone passing over
          cursor_override::set(Qt::BusyCursor);
          if (pressed) drag(strip, point(1), point(1) + QPoint(3, 2));
          if (!pressed) QTest::mouseMove(strip, point(1) + QPoint(1, 1));
          QCOMPARE(cursor_override::current(), std::optional(Qt::ArrowCursor));
        }
      }
      if (action == "focus:Text1") QTest::mouseClick(form_->Picture2->Text1, Qt::LeftButton);
      if (action.startsWith("type:")) QTest::keyClicks(keyboard, value);
      if (action.startsWith("key:")) QTest::keySequence(keyboard, QKeySequence(value));
    }
  }

 private slots:
  void init() {
    startWindowTest();
    saved_.clear();
    installScreenSource(&screen_);
    owner_ = std::make_unique<QWidget>();
    QGuiApplication::clipboard()->clear();
  }

  void cleanup() {
    QCOMPARE(dialogs_->leftovers(), QString());
    owner_.reset();  // takes the capture window with it
    installScreenSource(nullptr);
    cursor_override::reset();
    dialogs_.reset();  // uninstalls itself: before the next test installs its own
  }

  // The icons' artwork is our own. They and the drop button's three looks, drawn for the
  // screen's pixels, must match on white the sheets approved by eye at eight times their size
  // (redo is undo turned round; the cross and the letter A are symmetric). After a deliberate
  // change, APPROVE_ARTWORK=1 writes new sheets to look at.
  void artworkAsApproved() {
    for (qreal dpr : {1.0, 1.5, 2.0}) {
      QImage sheet((kToolbarButtonCount + 3) * 18 * dpr, 22 * dpr, QImage::Format_RGB32);
      sheet.fill(Qt::white);
      sheet.setDevicePixelRatio(dpr);
      QPainter p(&sheet);  // each at its own size, as the toolbar shows it
      for (int i = 0; i < kToolbarButtonCount; ++i)
        p.drawPixmap(i * 18, 0, toolbarIcon(ToolbarButton(i), dpr));
      for (int look : {0, 1, 2})
        p.drawPixmap((kToolbarButtonCount + look) * 18, 0, comboButtonPicture(look, {17, 21}, dpr));
      p.end();
      const QString approved = QString(ARTWORK_DIR "/toolbar@%1x.png").arg(dpr);
      if (qEnvironmentVariableIsSet("APPROVE_ARTWORK")) sheet.save(approved);
      QCOMPARE(imageDifference(sheet, QImage(approved), 2), QString());
    }
  }

  void toolbarLeftToRightAndHover() {
    open();
    auto strip = form_->Picture1->findChildren<QWidget*>(QRegularExpression("^(Image2|Line)"));
    std::sort(strip.begin(), strip.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    QStringList order;
    for (QWidget* w : strip) order << w->objectName() + " " + w->toolTip();
    QCOMPARE(
        order.join(" | "),
        QString("Image2(7) 添加矩形 | Image2(6) 添加椎圆 | Image2(5) 添加文字 | Image2(4) "
                "添加箭头 | Line1  | Image2(0) 撤销 | Image2(8) 重做 | Image2(2) 保存 | "
                "Line2  | Image2(3) 退出截屏 | Image2(1) 复制退出 | Line3  | Image2(9) 钉在桌面 | "
                "Line4  | Image2(10) 选择标注 | Image2(11) 画笔 | Image2(12) 荧光笔 | Image2(13) "
                "添加直线 | Image2(14) 添加序号 | Image2(15) 马赛克 | Image2(16) 模糊 | "
                "Image2(17) 取色"));
    CaptureToolbar* bar = form_->Picture1;
    const QImage box = bar->grab().toImage();  // a flat box: its border, its ground
    QCOMPARE(box.pixel(0, 0), colour::toPixel(style_constants::kStripBorder));
    QCOMPARE(box.pixel(1, 1), colour::toPixel(style_constants::kStripBackground));
    // The separators are drawn. Over a button its hover frame shows behind it, and only its;
    // over the strip between them, none.
    for (const QFrame* line : {bar->Line1, bar->Line2, bar->Line3, bar->Line4})
      QVERIFY(box.pixel(line->geometry().center()) != box.pixel(1, 1));
    const auto frames = [&] {  // 1 for each button, in the toolbar's order, whose frame shows
      QString shown;
      for (const ToolbarButton b : kToolbarOrder)
        shown += QString::number(hot(bar, bar->Image2[buttonIndex(b)]->pos()));
      return shown;
    };
    QTest::mouseMove(bar->Image2[buttonIndex(ToolbarButton::Text)], {10, 10});
    QCOMPARE(frames(), "001000000000000000");
    QTest::mouseMove(bar, {2, 13});
    QCOMPARE(frames(), "000000000000000000");
    // The screen's pixel (x, y) is RGB(x * 7 % 256, y * 13 % 256, (x + y) * 3 % 256).
    QTest::mouseMove(form_, QPoint(150, 150));
    QCOMPARE(cursor_override::current(), std::optional(Qt::SizeAllCursor));
    QCOMPARE(form_->lblInfo->text(), QString("RGB(26,158,132)"));
    QTest::mouseMove(form_, QPoint(10, 20));
    QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
  }

  // Each row plays actions (see play()) on the selection (100, 100, 200, 120)
  // and describes the window afterwards. Below the selection the toolbar lies
  // outside it: a press on it that fell through would cancel the selection.
  // Along the screen's bottom the option panel lies inside it: a press that
  // fell through would start a stroke or place text.
  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    const QString start = "frame 100,100 200x120 label 102,102 200x120 history ";
    QTest::newRow("a double-click on undo undoes once") << "tool:7 drag:110,110-150,150 drag:120,120-160,160 twice:0" << start + "2 toolbar 0,224 panel 0,253 166x37";
    QTest::newRow("the same tool twice hides the panel, keeps the tool; undo, then redo") << "tool:7 tool:7 drag:110,110-150,150 tool:0 tool:8" << start + "2 toolbar 0,224";
    QTest::newRow("undo with nothing to undo cancels everything") << "tool:7 tool:0" << "no label history 1";
    QTest::newRow("Esc while typing ends typing") << "tool:5 click:150,150 type:Hi key:Esc" << start + "1 toolbar 0,224 panel 0,253 241x37";
    QTest::newRow("and drops the text: the next click places an empty box") << "tool:5 click:150,150 type:Hi key:Esc click:150,150 click:150,150 tool:1" << "closed history 2 copied";
    QTest::newRow("the next click writes the text") << "tool:5 click:150,150 type:Hi click:250,200" << start + "2 toolbar 0,224 panel 0,253 241x37";
    QTest::newRow("then Esc closes the window") << "tool:5 click:150,150 type:Hi key:Esc key:Esc" << "closed history 1";
    QTest::newRow("Esc in the font-size box") << "tool:5 focus:Text1 key:Esc" << start + "1 toolbar 0,224 panel 0,253 241x37";
    QTest::newRow("then Esc closes the window too") << "tool:5 focus:Text1 key:Esc key:Esc" << "closed history 1";
    QTest::newRow("the panel above a low toolbar") << "drag:100,700-400,760 tool:6" << "frame 100,700 300x60 label 102,702 300x60 history 1 toolbar 0,764 panel 0,724 166x37";
    QTest::newRow("and below one that leaves it just room") << "drag:100,600-400,730 tool:6" << "frame 100,600 300x130 label 102,602 300x130 history 1 toolbar 0,734 panel 0,763 166x37";
    QTest::newRow("arrows move the selection, with Shift resize it") << "key:Right key:Right key:Down key:Shift+Right key:Shift+Down key:Shift+Down" << "frame 102,101 201x122 label 104,103 201x122 history 1 toolbar 0,227";
    QTest::newRow("not while a tool is chosen") << "tool:7 key:Right" << start + "1 toolbar 0,224 panel 0,253 166x37";
    QTest::newRow("copy and exit") << "tool:1" << "closed history 1 copied";
    QTest::newRow("double-click inside") << "dclick:150,150" << "closed history 1 copied";
    QTest::newRow("ScrnCap hides frame, label, handles") << "cap:100,100,300,220" << "no label history 1 toolbar 0,224 copied";
    QTest::newRow("save as PNG") << "save:shot.PNG tool:2" << "closed history 1 saved";
    QTest::newRow("save as TIFF") << "save:shot.tiff tool:2" << "closed history 1 saved";
    QTest::newRow("save cancelled") << "save:- tool:2" << "closed history 1 copied";
    // A failed write keeps the work: the window stays, the copy on the clipboard.
    QTest::newRow("save as .jpeg: reported, kept") << "save:shot.jpeg tool:2" << start + "1 toolbar 0,224 copied reported";
    QTest::newRow("a click without a drag, then save: reported, kept") << "click:400,400 tool:2" << "no label history 1 toolbar 0,404 reported";
    QTest::newRow("save where no folder is: kept") << "save:nowhere/shot.png tool:2" << start + "1 toolbar 0,224 copied reported";
    // Text still being typed is copied or saved as the next click would write it.
    QTest::newRow("pending text, copy and exit") << "tool:5 click:150,150 type:Hi tool:1" << "closed history 2 copied annotated";
    QTest::newRow("pending text, save") << "save:shot.png tool:5 click:150,150 type:Hi tool:2" << "closed history 2 saved annotated";
    QTest::newRow("exit capture") << "tool:3" << "closed history 1";
    QTest::newRow("pin") << "tool:9" << "closed history 1";
    QTest::newRow("Esc") << "key:Esc" << "closed history 1";
    QTest::newRow("a right-button stroke commits, then closes") << "tool:7 rdrag:110,110-150,150" << "closed history 2";
    QTest::newRow("press on the toolbar, a separator, and redo with nothing to redo") << "strip:Picture1@27,13 strip:Line1@1,5 strip:Image2(8)@5,5" << start + "1 toolbar 0,224";
    const QString low = "drag:100,600-500,795 tool:", lowShown = "frame 100,600 400x195 label 102,602 400x195 history 1 toolbar 25,765 panel 25,725 ";
    QTest::newRow("press on the panel, between and on the swatches") << low + "7 strip:Picture2@2,2 strip:PicColor@30,20 strip:Pcolor(3)@5,5" << lowShown + "166x37";
    QTest::newRow("press on the font-size group") << low + "5 strip:PicFont@1,0" << lowShown + "241x37";
  }
  // clang-format on

  void scripts() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    open();
    play(script);
    QCOMPARE(describe(), expected);
    if (expected.startsWith("closed")) QTRY_VERIFY(form_.isNull());
    if (script == "tool:9") {  // the selection stays on the desktop where it was, as it was
      std::unique_ptr<PinWindow> pin;
      for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<PinWindow*>(window)) pin.reset(found);
      QVERIFY(pin && pin->isVisible());
      QCOMPARE(pin->geometry(), kSelection);
      QCOMPARE(imageDifference(pin->grab().toImage().copy(1, 1, 198, 118),
                               screen(kSelection.adjusted(1, 1, -1, -1))),
               QString());
    }
    if (!script.contains("save:")) return;
    const FileDialogRequest& request = dialogs_->fileRequests().value(0);
    QCOMPARE(request.title + " " + request.defaultExt + QString::number(request.filterIndex),
             QString("保存为 PNG1"));
    QCOMPARE(request.filter,
             QString("PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|*.bmp|"
                     "GIF文件(*.gif)|*.gif|TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*"));
    QVERIFY2(!request.overwritePrompt && QFileInfo(request.initialDir).isDir(),
             qPrintable(request.initialDir));
  }

  void handleDrag() {
    open();
    // A stroke undone: a handle drag drops the tool, its panel and what redo would bring back.
    play("tool:7 drag:150,150-180,180 tool:0");
    // Each 4 x 4 handle centred on a corner or the middle of an edge of
    // (100, 100, 200, 120), handle 2 in by w / 1.5 (297.3).
    const QList<QPoint> handles{{98, 98},  {198, 98},  {297, 98},  {98, 158},
                                {98, 218}, {198, 218}, {298, 218}, {298, 158}};
    for (int i = 0; i < capture::kHandleCount; ++i)
      QCOMPARE(form_->Image1[i]->geometry(), QRect(handles[i], QSize(4, 4)));
    ResizeHandle* corner = form_->Image1[6];
    QTest::mouseMove(corner);  // the pointer passing over it shows which way it resizes
    QCOMPARE(cursor_override::current(), std::optional(Qt::SizeFDiagCursor));
    QTest::mousePress(corner, Qt::LeftButton, {}, QPoint(2, 2));
    // The pointer travels 40 right and 30 down with the button held.
    QTest::mouseMove(corner, QPoint(42, 32));
    // The loupe beside the pointer (340, 250), away from the selection: its
    // middle cell shows the pixel under the pointer.
    QCOMPARE(QColor(form_->grab().toImage().pixel(340 + 16 + 7 * 8 + 2, 250 + 16 + 7 * 8 + 5)),
             QColor(screen().pixel(340, 250)));
    QTest::mouseRelease(corner, Qt::LeftButton, {}, QPoint(42, 32));
    play("tool:8");
    // The handle's top-left was at the corner less 2, the pointer 2 further in.
    QCOMPARE(describe(), "frame 100,100 240x150 label 102,102 240x150 history 1 toolbar 0,254");
    QCOMPARE(form_->Image1[2]->pos(), QPoint(337, 98));  // w / 1.5 in from the corner
  }

  // The strips as laid out in twips, at 15 to a pixel, with the text tool
  // (the rectangle's panel, without the font-size group, is measured by the
  // scripts): each control's rectangle in its parent, or its size alone
  // ("WxH") or its left edge alone ("xN"), and "hidden" if it is.
  void stripLayout() {
    const QString expected =
        "Picture1 475x26, Shape3(0) 20x20 hidden, PicFont 4,8 73x25, PicColor x79, Pcolor(16) 0,0 "
        "28x28, Pcolor(0) 32,0 13x13, Pcolor(7) 144,0 13x13, Pcolor(8) 32,15 13x13, Pcolor(15) "
        "144,15 13x13";
    open();
    click(ToolbarButton::Text);
    QStringList shown;
    for (const QString& item : expected.split(", ")) {
      const QString name = item.section(' ', 0, 0), want = item.section(' ', 1, 1);
      const QWidget* control = form_->findChild<QWidget*>(name);
      QVERIFY2(control != nullptr, qPrintable(name));
      const QRect g = control->geometry();
      QVERIFY2(control->parentWidget()->rect().contains(g), qPrintable(name));  // all of it shows
      const QString size = QString("%1x%2").arg(g.width()).arg(g.height());
      const QString place = want.contains(',')     ? QString(" %1,%2 ").arg(g.x()).arg(g.y()) + size
                            : want.startsWith('x') ? QString(" x%1").arg(g.x())
                            : want.contains('x')   ? " " + size
                                                   : QString();
      shown << name + place + (control->isVisibleTo(control->parentWidget()) ? "" : " hidden");
    }
    QCOMPARE(shown.join(", "), expected);
    // The palette as drawn, top row then bottom row, then the current colour, red as it starts,
    // and the size box's text.
    const ToolOptionPanel* panel = form_->Picture2;
    QStringList palette;
    for (ColourBox* swatch : panel->Pcolor)
      palette << QColor(swatch->grab().toImage().pixel(6, 6)).name();
    QCOMPARE(palette.join(' ') + " size " + panel->Text1->text(),
             "#000000 #808080 #c00000 #c0c000 #008000 #000080 #800080 #008080 "
             "#ffffff #c0c0c0 #ff0000 #ffff00 #00ff00 #0000ff #ff00ff #00ffff #ff0000 size 11");
    // The size box and the drop button cover the list exactly, side by side.
    QCOMPARE(panel->Text1->geometry().united(panel->PicCombox->geometry()),
             panel->Combo1->geometry());
    QCOMPARE(panel->Text1->geometry().right() + 1, panel->PicCombox->x());
    // The buttons in the toolbar's order, evenly spaced, the first as far from
    // the edge as from the next; each separator in the middle of its gap.
    const auto& b = form_->Picture1->Image2;
    QStringList gaps;
    int right = 0;
    for (const int i : {7, 6, 5, 4, 0, 8, 2, 3, 1})  // from the last right edge to this left edge
      gaps << QString::number(b[i]->x() - std::exchange(right, b[i]->geometry().right() + 1));
    QCOMPARE(gaps.join(' '), "5 5 5 5 9 5 5 9 5");
    QCOMPARE(form_->Picture1->Line1->x(), (b[4]->geometry().right() + 1 + b[0]->x()) / 2);
    QCOMPARE(form_->Picture1->Line2->x(), (b[2]->geometry().right() + 1 + b[3]->x()) / 2);
    click(ToolbarButton::Rectangle);  // no font sizes: the colours move to their place
    QCOMPARE(QString("%1 x%2").arg(panel->PicFont->isVisible()).arg(panel->PicColor->x()), "0 x4");
  }

  // The size box's sizes from 1 to 500 points are taken as typed, or the number a text starts
  // with; anything else is put back to 11, the text tool's first size.
  void fontSizeAsTyped() {
    ToolOptionPanel panel(nullptr);
    QStringList got;
    for (const char* typed : {"1", "500", "12.5pt", "0", "501", "abc"}) {
      panel.Text1->clear(), QTest::keyClicks(panel.Text1, typed);
      got << QString::number(panel.toolSize()) << panel.Text1->text();  // the size, then the box
    }
    // Each tool starts at its own size (pen 3, highlighter 16) and keeps what was typed for it.
    for (const auto tool : {ToolbarButton::Pen, ToolbarButton::Highlighter, ToolbarButton::Text,
                            ToolbarButton::Pen}) {
      panel.arrangeFor(tool);
      got << panel.Text1->text();
      panel.Text1->setText(panel.Text1->text() + "0");
    }
    QCOMPARE(got.join(' '), "1 1 500 500 12.5 12.5pt 11 11 11 11 11 11 3 16 11 30");
  }

  // While a selection is drawn, a loupe beside the pointer, away from where
  // the selection lies, shows each device pixel around it as a block of 8 x 8
  // device pixels: 15 a side at scale 1, 31 at scale 2 (about 120 pixels), 16
  // pixels from the pointer. It goes when the button is released.
  // clang-format off
  void loupe_data() {
    QTest::addColumn<Loupe>("row");
    QTest::newRow("scale 1") << Loupe{0, {100, 100}, {300, 220}, {316, 236}, 15};
    QTest::newRow("drawn up and left") << Loupe{0, {300, 300}, {200, 150}, {200 - 16 - 120, 150 - 16 - 120}, 15};
    // Off the screen's corner, the loupe stays at its last pixel, flipped up and left.
    QTest::newRow("past the corner") << Loupe{0, {100, 100}, {900, 900}, {799 - 136, 799 - 136}, 15};
    QTest::newRow("scale 2") << Loupe{1, {50, 40}, {250, 160}, {532, 352}, 31};
    QTest::newRow("flipped at the screen's edge") << Loupe{1, {50, 40}, {350, 250}, {700 - 32 - 248, 500 - 32 - 248}, 31};
  }
  // clang-format on

  void loupe() {
    QFETCH(Loupe, row);
    const auto& [on, from, to, loupe, cells] = row;
    if (QGuiApplication::screens().size() < 2) QSKIP("needs the two screens of two_screens.json");
    open(QRect(), 2);
    QWidget* surface = form_->surfaces()[on];
    const QImage frozen = screen_.result.screens[on].image;
    QTest::mousePress(surface, Qt::LeftButton, {}, from);
    // The panel's drop button, gone with the controls to this screen, drawn anew for it.
    QWidget* drop = form_->Picture2->PicCombox;
    const QImage drawn = comboButtonPicture(0, drop->size(), frozen.devicePixelRatio()).toImage();
    QCOMPARE(imageDifference(drop->grab().toImage(), drawn), QString());
    QTest::mouseMove(surface, to);
    const QImage shown = surface->grab().toImage();
    const QPoint pointer =
        QPoint(std::min(to.x(), surface->width() - 1), std::min(to.y(), surface->height() - 1)) *
        frozen.devicePixelRatio();
    const QPoint middle = loupe + QPoint(cells / 2, cells / 2) * 8 + QPoint(2, 5);
    // Away from the crosshair through the middle cell's row and column.
    for (const QPoint cell : {QPoint(0, 0), QPoint(-3, -2), QPoint(-cells / 2, -cells / 2)})
      QCOMPARE(QColor(shown.pixel(middle + cell * 8)), QColor(frozen.pixel(pointer + cell)));
    // The crosshair's four arms tint their cells right up to the box round the middle one
    // (cells beyond the screen are black).
    for (const auto& [end, cell] : QList<std::pair<QPoint, QPoint>>{
             {{4, -2}, {0, -1}}, {{-2, 4}, {-1, 0}}, {{4, 9}, {0, 1}}, {{9, 4}, {1, 0}}})
      QVERIFY(QColor(shown.pixel(middle - QPoint(2, 5) + end)) !=
              QColor(frozen.copy(QRect(pointer + cell, QSize(1, 1))).pixel(0, 0)));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    QTest::mouseMove(surface, (from + to) / 2);  // then, with no button held, inside the selection
    QCOMPARE(cursor_override::current(), std::optional(Qt::SizeAllCursor));
    QCOMPARE(QColor(surface->grab().toImage().pixel(middle)), QColor(frozen.pixel(middle)));
  }

  void textAtTheChosenSizeColourAndPlace() {
    open(QRect(100, 100, 400, 250));
    click(ToolbarButton::Text);
    ToolOptionPanel* panel = form_->Picture2;
    // The drop-down button, drawn pressed (its dark arrow a step down and right), opens the
    // size list; a click there picks 20.
    const auto arrow = [&] {
      return boundsOf(panel->PicCombox->grab().toImage(), [](QRgb c) { return qGray(c) < 64; });
    };
    const QRect arrowUp = arrow();
    // Hot: in the border every hot control takes. The drop button is hot until the pointer
    // moves on to its group beside the list; a colour under the pointer until it moves on to
    // the current colour, or to the group between the swatches.
    // Each row: the control and where the pointer goes on it, then where it moves on to.
    using Hover = std::tuple<QWidget*, QPoint, QWidget*, QPoint>;
    for (const auto& [control, on, away, at] :
         {Hover{panel->PicCombox, {8, 10}, panel->PicFont, {10, 24}},
          Hover{panel->Pcolor[3], {5, 5}, panel->Pcolor[16], {5, 5}},
          Hover{panel->Pcolor[3], {5, 5}, panel->PicColor, {30, 14}}}) {
      QTest::mouseMove(control, on);
      QVERIFY2(hot(control), qPrintable(control->objectName()));
      QTest::mouseMove(away, at);
      QVERIFY2(!hot(control), qPrintable(control->objectName() + " from " + away->objectName()));
    }
    QTest::mouseMove(panel->PicCombox, {8, 10});
    QTest::mousePress(panel->PicCombox, Qt::LeftButton);
    QCOMPARE(arrow(), arrowUp.translated(1, 1));
    QAbstractItemView* list = panel->Combo1->view();
    QTRY_VERIFY(list->isVisible());
    QCOMPARE(list->currentIndex().data().toString(), "11");  // it opens at the size shown
    const QModelIndex twenty = panel->Combo1->model()->index(panel->Combo1->findText("20"), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(twenty).center());
    QTest::mouseClick(panel->Pcolor[13], Qt::LeftButton);  // blue

    QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
    QTest::keyClicks(form_->TextEdit, "HHHH");
    // 20 points are this many pixels; a capital H stands well over half of them. The box shows
    // the text as it will be written.
    const double px = 20 * form_->logicalDpiY() / 72.0;
    QVERIFY(inkOf(form_->TextEdit->grab().toImage(), qRgb(0, 0, 255)).height() >= 0.6 * px);
    const QPoint corner = form_->TextEdit->geometry().topLeft() + QPoint(1, 1);  // no frame
    QCOMPARE(form_->grab().toImage().pixel(corner),
             form_->TextEdit->palette().base().color().rgb());
    const int wide = form_->TextEdit->width();
    QTest::keyClick(form_->TextEdit, Qt::Key_Backspace);
    QCOMPARE(form_->TextEdit->width(), wide);  // wider than at first, and never narrower
    QVERIFY2(wide > 25, qPrintable(QString::number(wide)));
    QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(20, 20));

    const QRect ink = inkOf(form_->session().picture().copy(100, 100, 400, 250), qRgb(0, 0, 255))
                          .translated(100, 100);
    QVERIFY2(ink.left() >= 150 && ink.left() <= 154 && ink.top() >= 150 &&
                 ink.top() <= 150 + px / 2 && ink.height() >= 0.6 * px && ink.height() <= px &&
                 ink.width() > 2 * ink.height(),
             qPrintable(QDebug::toString(ink)));
  }

  // What a drag from `from` to `to` with `kind`'s tool draws in red at the tool's first size
  // (a line snapped by Shift at the release).
  static Annotation drawnBy(capture::AnnotationKind kind, QPoint from, QPoint to) {
    using capture::AnnotationKind;
    const int size = capture::defaultSize(kind);
    if (kind == AnnotationKind::Marker) return Annotation::marker(to, 1, Qt::red, size);
    if (kind == AnnotationKind::Pen || kind == AnnotationKind::Highlighter)  // through each move
      return Annotation::stroke(kind, {from, (from + to) / 2, to}, Qt::red, size);
    const bool line = kind == AnnotationKind::Line;
    return Annotation::box(kind, from, line ? capture::snappedAngle(from, to) : QPointF(to),
                           Qt::red, size);
  }

  // clang-format off
  void annotate_data() {
    QTest::addColumn<Edit>("row");
    const QPoint from(120, 130), to(180, 180), middle(150, 155), from2(60, 50), to2(120, 90), middle2(90, 70);
    QTest::newRow("rectangle, on its top edge") << Edit{ToolbarButton::Rectangle, 0, from, to, {135, 130}};
    QTest::newRow("ellipse, on its outline") << Edit{ToolbarButton::Ellipse, 0, from, to, {170, 137}};
    QTest::newRow("arrow") << Edit{ToolbarButton::Arrow, 0, from, to, middle};
    QTest::newRow("text, clicked in and out") << Edit{ToolbarButton::Text, 0, from, {}, from + QPoint(3, 5)};
    for (const auto tool : {ToolbarButton::Pen, ToolbarButton::Highlighter, ToolbarButton::Line, ToolbarButton::Marker, ToolbarButton::Pixelate, ToolbarButton::Blur}) {
      const bool marker = tool == ToolbarButton::Marker;  // where it ends, it is grabbed
      QTest::addRow("%s, scale 1", qPrintable(CaptureToolbar::tooltip(tool))) << Edit{tool, 0, from, marker ? middle : to, middle};
      QTest::addRow("%s, scale 2", qPrintable(CaptureToolbar::tooltip(tool))) << Edit{tool, 1, from2, marker ? middle2 : to2, middle2};
    }
  }
  // clang-format on

  // Each kind drawn, moved, resized by a handle (a box's bottom-right corner, a line's end),
  // given another colour and size, typed again (text), nudged a device pixel right and ten
  // down, and deleted: each change one step. What the copy takes is the frozen screen with the
  // annotation as each step left it, back through undo and forward through redo, and then
  // copied; a mosaic's blocks (10, then 5 device pixels) are flat on the clipboard and in the
  // saved picture.
  void annotate() {
    QFETCH(Edit, row);
    const auto& [tool, on, from, to, grab] = row;
    if (QGuiApplication::screens().size() <= on) QSKIP("needs the two screens of two_screens.json");
    const capture::AnnotationKind kind = *capture::kindForTool(tool);
    const bool text = kind == capture::AnnotationKind::Text;
    open(on == 0 ? kSelection : QRect(), on + 1);
    if (on == 1) play("drag1:50,40-250,160");
    QWidget* surface = form_->surfaces()[on];
    const QRect device = on == 0 ? kSelection : QRect(100, 80, 400, 240);
    click(tool);
    const auto font = [&](int points) {
      return capture::AnnotationSession::textFont(points, form_->logicalDpiY());
    };
    Annotation a = drawnBy(kind, from, to);
    if (text) {
      play(QString::asprintf("click:%d,%d type:Hi click:250,200", from.x(), from.y()));
      a = Annotation::textAt(from, "Hi", font(11), Qt::red);
      a.size = 11;
    } else {
      drag(surface, from, to, Qt::LeftButton, Qt::ShiftModifier);
    }
    std::vector<std::vector<Annotation>> states{{}, {a}};  // as each step leaves them
    const auto shows = [&](size_t step) {
      QCOMPARE(form_->session().history().count(), int(step + 1));
      QCOMPARE(imageDifference(form_->session().picture().copy(device),
                               annotated(on, states[step], device)),
               QString());
    };
    const auto stepTo = [&](const Annotation& next) {
      if (next == a) return;  // the colour of a mosaic or blur: no change, no step
      states.push_back({a = next});
      shows(states.size() - 1);
    };
    shows(1);
    drag(surface, grab, grab + QPoint(15, 10));
    stepTo(a.moved({15, 10}));
    if (const QPolygonF handles = a.handles(); !handles.isEmpty()) {
      const int corner = handles.size() == 8 ? 6 : 1;
      const QPoint handle = handles[corner].toPoint();
      drag(surface, handle, handle + QPoint(10, 5));
      stepTo(a.withHandleAt(corner, handle + QPoint(10, 5)));
    }
    QTest::mouseClick(form_->Picture2->Pcolor[13], Qt::LeftButton);
    stepTo(a.restyled(Qt::blue, a.size));
    if (ToolOptionPanel::hasSize(tool)) {
      play("focus:Text1 key:Ctrl+A type:5 key:Return");
      Annotation resized = a.restyled(a.colour, 5);
      if (text) resized.font = font(5);
      stepTo(resized);
    }
    if (text) {
      const QPoint in = a.points.first().toPoint() + QPoint(3, 3);
      play(QString::asprintf("dclick:%d,%d type:Yo click:250,200", in.x(), in.y()));
      Annotation retyped = a;
      retyped.text = "Yo";
      stepTo(retyped);
    }
    QTest::keyClick(surface, Qt::Key_Right);
    stepTo(a.moved(QPointF(1, 0) / (on + 1)));
    QTest::keyClick(surface, Qt::Key_Down, Qt::ShiftModifier);
    stepTo(a.moved(QPointF(0, 10) / (on + 1)));
    QTest::keyClick(surface, Qt::Key_Delete);
    states.push_back({});
    shows(states.size() - 1);
    for (size_t step = states.size() - 1; step-- > 1;) click(ToolbarButton::Undo), shows(step);
    for (size_t step = 2; step < states.size(); ++step) click(ToolbarButton::Redo), shows(step);
    click(ToolbarButton::Undo);
    const bool mosaic = kind == capture::AnnotationKind::Pixelate;
    QList<QImage> copies;  // a mosaic on the clipboard, then saved; the rest copied
    if (mosaic && form_->ScrnCap(on == 0 ? kSelection : QRect(50, 40, 200, 120)))
      copies << QGuiApplication::clipboard()->image();
    play(mosaic ? "save:shot.png tool:2" : "tool:1");
    QTRY_VERIFY(form_.isNull());
    copies << (mosaic ? QImage(saved_) : QGuiApplication::clipboard()->image());
    QCOMPARE(copies.size(), mosaic ? 2 : 1);
    for (const QImage& copy : copies) {
      QCOMPARE(imageDifference(copy, annotated(on, {a}, device)), QString());
      if (mosaic) QVERIFY(flatBlocks(copy, a.deviceRect(on + 1).translated(-device.topLeft()), 5));
    }
  }

  // While the colour picker is chosen the loupe shows the pixel under the pointer; a click
  // makes that pixel the current colour.
  void pickColour() {
    open();
    click(ToolbarButton::PickColour);
    QTest::mouseMove(form_, QPoint(250, 200));
    // Beside the pointer, away from the selection's middle: the middle cell.
    QCOMPARE(QColor(form_->grab().toImage().pixel(250 + 16 + 7 * 8 + 2, 200 + 16 + 7 * 8 + 5)),
             QColor(screen().pixel(250, 200)));
    QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(250, 200));
    QCOMPARE(form_->Picture2->currentColour(), colour::fromPixel(screen().pixel(250, 200)));
  }

  // Every screen is frozen, each at its own scale, and a selection can be
  // drawn on either; the copy takes that screen's device pixels.
  // clang-format off
  void selectionOnEitherScreen_data() {
    QTest::addColumn<Selection>("row");
    QTest::newRow("dragged past its edge") << Selection{"drag1:300,200-700,500", 1, QRect(600, 400, 200, 200)};
    QTest::newRow("then on the second") << Selection{"drag:100,100-300,220 drag1:50,40-250,160", 1, QRect(100, 80, 400, 240)};
    QTest::newRow("back on the primary") << Selection{"drag1:50,40-250,160 drag:100,100-300,220", 0, QRect(100, 100, 200, 120)};
    QTest::newRow("a tool keeps it there") << Selection{"drag:100,100-300,220 tool:7 drag1:150,150-190,190", 0, QRect(100, 100, 200, 120)};
    QTest::newRow("Esc on the second") << Selection{"drag:100,100-300,220 drag1:50,40-250,160", 1, QRect()};
    QTest::newRow("nudged by device pixels") << Selection{"drag1:50,40-250,160 key:Right key:Shift+Down", 1, QRect(101, 80, 400, 241)};
    // A portal shoots the desktop at its highest scale: the primary's part
    // comes back to its own pixels.
    QTest::newRow("portal, on the primary") << Selection{"portal drag:100,100-300,220", 0, QRect(100, 100, 200, 120)};
    QTest::newRow("portal, on the second") << Selection{"portal drag1:50,40-250,160", 1, QRect(100, 80, 400, 240)};
  }
  // clang-format on

  void selectionOnEitherScreen() {
    QFETCH(Selection, row);
    const auto& [drags, on, device] = row;
    if (QGuiApplication::screens().size() < 2) QSKIP("needs the two screens of two_screens.json");
    // The desktop (1200 x 800) as a portal at scale 2 shoots it: every pixel
    // of the scale-1 screen a block of 2 x 2.
    const QImage desktop = patternImage(1200, 800);
    const QImage shot = desktop.scaled(2400, 1600, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const bool portal = drags.startsWith("portal");
    open(QRect(), 2, portal ? shot : QImage());
    QCOMPARE(form_->surfaces().size(), std::size_t(2));
    for (int i = 0; i < 2; ++i) {
      QWidget* surface = form_->surfaces()[i];
      QVERIFY(QTest::qWaitForWindowExposed(surface));
      QCOMPARE(surface->geometry(), QGuiApplication::screens()[i]->geometry());
      QCOMPARE(imageDifference(surface->grab().toImage(), screen_.result.screens[i].image),
               QString());
    }
    play(drags);
    QWidget* surface = form_->surfaces()[on];
    QVERIFY2(form_->Picture1->isVisible(), "no toolbar after the selection");
    // The frame and the controls live on the selection's screen.
    for (QWidget* w : QWidgetList{form_->Shape1, form_->LblPos, form_->Picture1})
      QCOMPARE(w->window(), surface);
    if (device.isEmpty()) {
      QTest::keyClick(surface, Qt::Key_Escape);
    } else {
      QCOMPARE(form_->LblPos->text(), QString("%1x%2").arg(device.width()).arg(device.height()));
      QVERIFY(!inkOf(form_->LblPos->grab().toImage(), qRgb(0, 122, 236)).isEmpty());  // in blue
      // The frame stands on the device pixels copied, whatever their offset: a column and a
      // row through it, clear of handles and label, find its edges; the corner handle is
      // centred on the corner.
      const QImage drawn = surface->grab().toImage();
      const int x = device.left() + device.width() * 3 / 4,
                y = device.top() + device.height() * 5 / 8,
                overhang = 2 * surface->devicePixelRatio();
      const QRect down = inkOf(drawn.copy(x, 0, 1, drawn.height()), qRgb(0, 122, 236)),
                  across = inkOf(drawn.copy(0, y, drawn.width(), 1), qRgb(0, 122, 236));
      QCOMPARE(QRect(QPoint(across.left(), down.top()), QPoint(across.right(), down.bottom())),
               device);
      QCOMPARE(
          inkOf(drawn.copy(QRect(device.topLeft() - QPoint(6, 6), QSize(6, 6))), qRgb(0, 122, 236)),
          QRect(6 - overhang, 6 - overhang, overhang, overhang));
      click(ToolbarButton::CopyAndExit);
    }
    QTRY_VERIFY2(form_.isNull(), "the capture window is still there");
    const QImage expected = device.isEmpty() ? QImage()  // Esc: nothing copied
                            : !portal        ? screen_.result.screens[on].image.copy(device)
                            : on == 0        ? desktop.copy(device)
                                             : shot.copy(device.translated(1600, 200));
    QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), expected), QString());
  }

  // Each screen is painted once as the window opens: a surface becoming
  // active or inactive, or getting the keyboard, repaints no whole screen.
  void eachScreenPaintedOnce() {
    if (QGuiApplication::screens().size() < 2) QSKIP("needs the two screens of two_screens.json");
    PaintedArea painted;
    qApp->installEventFilter(&painted);
    open(QRect(), 2);
    for (QWidget* surface : {form_->surfaces()[0], form_->surfaces()[1], form_->surfaces()[0]}) {
      surface->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(surface));
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents();
    }
    qApp->removeEventFilter(&painted);
    for (QWidget* surface : form_->surfaces())
      QCOMPARE(painted.area[surface], qint64(surface->width()) * surface->height());
  }

  void failedGrabIsReported() {
    screen_.result = {{}, "无法截取屏幕：测试"};
    form_ = new CaptureForm(owner_.get());
    form_->Show();
    QCOMPARE(dialogs_->messages().value(0).text, QString("无法截取屏幕：测试"));
    QTRY_VERIFY(form_.isNull());  // never a black picture
    QCOMPARE(cursor_override::current(), std::nullopt);
  }
};

QTEST_MAIN(TestCaptureForm)

#include "tst_capture_form.moc"
