#include <QtTest>
#include <QtWidgets>

#include "common/background_job.h"
#include "common/colour_swatch.h"
#include "common/cursor_override.h"
#include "common/picture_box.h"
#include "common/picture_filter.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/stretched_image.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// A control after a script: its name, its rectangle in the window (at (-1, -1):
// only the size is fixed), the colour shown just inside its corners, if any.
using Placed = std::tuple<QString, QString, QRect, QColor>;

// A stamp: a script first, where the button goes down, how far the canvas is
// dragged meanwhile, and whether some of the stamp is left out.
using Stamp = std::tuple<QString, QPoint, QPoint, bool>;

class TstGlyphantWindow : public WindowTest {
  Q_OBJECT

  std::unique_ptr<Form1> form_;
  QImage start_;
  bool busyResize_ = false;  // whether the canvas was resized under the busy pointer

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && cursor_override::current() == Qt::BusyCursor)
      busyResize_ = true;
    return WindowTest::eventFilter(watched, event);
  }

  // One user action: open=NAME|-, save=NAME|-, colour=#rrggbb|- answer the
  // next dialog (a file of the program folder, or cancel); NAME=TEXT types
  // into a field ('_' for a space); choose:NAME=TEXT picks from a list;
  // pick:NAME clicks an entry of the pattern list; at:X,Y presses the
  // canvas; KEY:NAME (End, Home, Down...) presses that key in a control; a
  // control's name clicks it. Each action returns once it is played.
  void act(const QString& action) {
    const QString value = action.section(QRegularExpression("[=:]"), 1);
    const auto file =
        value == "-" ? std::nullopt : std::optional(value.isEmpty() ? value : path(value));
    QWidget* control = form_->findChild<QWidget*>(action.section(QRegularExpression("[=:]"), 0, 0));
    if (action.startsWith("open=")) return dialogs_->answerOpen(file);
    if (action.startsWith("save=")) return dialogs_->answerSave(file);
    if (action.startsWith("colour="))
      return dialogs_->answerColour(value == "-" ? std::nullopt : std::optional(QColor(value)));
    if (action.startsWith("choose:")) {
      auto* box = form_->findChild<QComboBox*>(value.section('=', 0, 0));
      QTest::keyClick(box, Qt::Key_F4);  // opens the list
      QTRY_VERIFY(box->view()->isVisible());
      const QModelIndex entry = box->model()->index(box->findText(value.section('=', 1)), 0);
      return QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {},
                               box->view()->visualRect(entry).center());
    }
    if (action.startsWith("pick:"))  // an entry of the pattern list
      return QTest::mouseClick(
          form_->File1->viewport(), Qt::LeftButton, {},
          form_->File1->visualItemRect(form_->File1->findItems(value, {})[0]).center());
    if (action.startsWith("at:"))
      return press(QPoint(value.section(',', 0, 0).toInt(), value.section(',', 1).toInt()));
    if (action.contains(':') && !action.contains('='))
      return QTest::keyClick(form_->findChild<QWidget*>(value),
                             QKeySequence(action.section(':', 0, 0))[0].key());
    if (!action.contains('=')) return QTest::mouseClick(control, Qt::LeftButton);
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr) edit = qobject_cast<QComboBox*>(control)->lineEdit();
    // As a user types: into the focused field, where completion runs.
    QTest::mouseClick(edit, Qt::LeftButton);
    QVERIFY2(edit->hasFocus(), qPrintable(action));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    const QString typed = QString(value).replace('_', ' ');
    for (const QChar c : typed) {
      QInputMethodEvent commit;  // Chinese comes from an input method
      commit.setCommitString(c);
      c.unicode() < 128 ? QTest::keyClick(edit, c.toLatin1())
                        : void(QCoreApplication::sendEvent(edit, &commit));
    }
  }
  void play(const QString& script) {
    for (const QString& action : script.split(' ', Qt::SkipEmptyParts)) {
      act(action);
      waitForPictures();
    }
  }
  // Presses the button on `widget` (the canvas by default) through the
  // window system, moves the pointer by `drag` while it is held, lets go.
  void press(QPoint at, QPoint drag = {}, QWidget* widget = nullptr) {
    QWindow* handle = form_->windowHandle();
    const QPoint start = (widget ? widget : form_->pic1)->mapTo(form_.get(), at);
    QCursor::setPos(handle->mapToGlobal(start));
    QCoreApplication::processEvents();
    QObject script;
    QTimer::singleShot(0, &script, [&] {
      if (!drag.isNull()) QTest::mouseMove(handle, start + drag);
      QTest::mouseRelease(handle, Qt::LeftButton, {}, start + drag);
    });
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
  }

  // The window's state as "key=value" entries.
  QStringList describe() const {
    const auto size = [](QSize s) { return QString::asprintf("%dx%d", s.width(), s.height()); };
    const auto picture = [&](const QImage& p) { return p.isNull() ? "none" : size(p.size()); };
    const QImage canvas = form_->pic1->Image(), saved(path("out.jpg"), "BMP");
    // Whether the preview, as drawn, shows the canvas stretched to its size:
    // both agree when reduced to a few blocks, whichever way it stretches it.
    const auto blocks = [](const QImage& image) {
      return image.scaled(8, 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage drawn = form_->Image1->grab().toImage();
    const bool stale = !imageDifference(blocks(drawn), blocks(canvas), 24).isEmpty();
    const QString preview = form_->Image1->Picture().isNull() ? " empty" : (stale ? " stale" : "");
    // The canvas as its record draws it again, to print it: the same in blocks
    // of 10 pixels, where only the smoothing along edges differs.
    QImage again(canvas.size(), QImage::Format_RGB32);
    QPainter painter(&again);
    form_->Drawings.paint(painter);
    painter.end();
    const auto tenths = [](const QImage& image) {
      return image.scaled((image.size() + QSize(9, 9)) / 10, Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
    };
    const bool redrawn = form_->Drawings.size() == canvas.size() &&
                         imageDifference(tenths(again), tenths(canvas), 24).isEmpty();
    QStringList asked;  // what the file and colour dialogs were asked to show
    const QString pictures = pictureOpenFilter("").section('|', 0, 1);  // every picture kind
    for (const auto& request : dialogs_->fileRequests())
      asked << '[' + QString(request.filter).replace(pictures, "pictures") + ']';
    for (const QColor& colour : dialogs_->colourRequests()) asked << colour.name();
    const auto style = [](QFont f) {
      return QString::asprintf("%d%d%d", f.bold(), f.italic(), f.underline());
    };
    QStringList titles;
    for (const MessageRequest& message : dialogs_->messages()) titles << message.title;
    // The background: the canvas's picture with the colour the canvas shows at its corner.
    return {QString("step=%1").arg(form_->History.stepIndex()),
            "status=" + form_->Label27->text(),
            "messages=" + titles.join(','),
            "asked=" + asked.join(','),
            "canvas=" + size(form_->pic1->size()) + (form_->pic1->isVisible() ? "" : " hidden"),
            "pixels=" + QString(canvas == start_ ? "start" : "changed"),
            "record=" + QString(!form_->Drawings.replayable() ? "pixels"
                                : redrawn                     ? "canvas"
                                                              : "other"),
            "preview=" + size(form_->Image1->size()) + preview,
            "background=" + picture(form_->pic1->Picture()) +
                (form_->pic1->Picture().isNull() ? "" : ' ' + QColor(canvas.pixel(0, 0)).name()),
            "pattern=" + picture(form_->PicRes->Picture()),
            "stamp=" + picture(form_->Picture1->Picture()) +
                (form_->Picture1->isHidden() ? " hidden" : ""),
            "style=" + style(form_->pic1->font()) + '/' + style(form_->picDst->font()),
            "saved=" + QString(saved.isNull() ? "none" : (saved == canvas ? "canvas" : "other")),
            "size=" + form_->cbofontsize->currentText(),
            "font=" + form_->cbofont->currentText(),
            QString("pointer=") + (cursor_override::current() ? "overridden" : "own") +
                (busyResize_ ? "+busy_while_resized" : "")};
  }

 private slots:
  void initTestCase() {
    // A symbol-encoded face, from which Qt itself never falls back to
    // another face for letters it lacks.
    QVERIFY2(QFontDatabase::addApplicationFont(
                 "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf") >= 0,
             "fonts-urw-base35 is missing (scripts/install-deps.sh installs it)");
  }

  void init() {
    startWindowTest();
    QVERIFY(QDir(dir_->path()).mkdir("textures"));
    for (const char* name : {"textures/a.bmp", "textures/C.JPG", "a.bmp"})
      QVERIFY(patternImage(8, 6).save(path(name), "BMP"));
    for (const char* name : {"textures/broken.gif", "broken.gif", "textures/notes.txt"})
      QVERIFY(written(path(name), "GIF89a, but no picture"));
    // Its left half is transparent.
    QImage clear = patternImage(8, 6).convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < 4 * 6; ++i) clear.setPixel(i % 4, i / 4, qRgba(0, 0, 0, 0));
    QVERIFY(clear.save(path("clear.png"), "PNG"));
    form_ = std::make_unique<Form1>(dir_->path());
    QVERIFY(exposed(form_.get()));
    form_->activateWindow();  // so that fields take the focus when clicked
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    start_ = form_->pic1->Image();
    busyResize_ = false;
    form_->pic1->installEventFilter(this);
  }

  void cleanup() { endWindowTest(form_); }

  void startState() {
    QCOMPARE(
        describe().join(' '),
        QString(
            "step=0 status=可记录10步 messages= asked= canvas=989x630 pixels=start record=canvas "
            "preview=121x71 empty background=none pattern=100x100 stamp=186x124 "
            "style=000/000 saved=none size=364 font=") +
            form_->cbofont->currentText() + " pointer=own");
    const QScrollBar* bar = form_->HScroll1;
    QCOMPARE(QString::asprintf("%d..%d %d %d", bar->minimum(), bar->maximum(), bar->value(),
                               form_->ShadowOffset),
             QString("1..50 10 10"));
    const QComboBox *fonts = form_->cbofont, *sizes = form_->cbofontsize;
    QCOMPARE(fonts->count(), (QFontDatabase::families().size() + 1) / 2);
    QCOMPARE(fonts->currentIndex(), fonts->count() > 32 ? 32 : 0);
    QCOMPARE(QStringList({sizes->itemText(0), sizes->itemText(1), sizes->itemText(496),
                          sizes->itemText(497), sizes->currentText(), sizes->itemText(498)}),
             QStringList({"12", "16", "1996", "2000", "364", ""}));
    QStringList files;  // the pattern kinds only, whatever their case
    for (int i = 0; i < form_->File1->count(); ++i) files << form_->File1->item(i)->text();
    QCOMPARE(files, QStringList({"a.bmp", "broken.gif", "C.JPG"}));
    QCOMPARE(form_->File1->toolTip(), dir_->filePath("textures/"));  // the folder they are in
    QCOMPARE(form_->txtsave->text(), dir_->path() + "/Saved.bmp");
    // A folder given with its separator gets no second one.
    QCOMPARE(Form1(dir_->path() + '/').txtsave->text(), dir_->path() + "/Saved.bmp");
    // Each field with its caption just left of it, each swatch with its caption just right.
    // clang-format off
    for (const auto& [name, text] : QList<std::pair<QString, QString>>{{"Text2", "x"}, {"Text1", "y"}, {"Text3", "x"}, {"Text4", "y"},
         {"cbofontsize", "字号大小"}, {"cbofontstyle", "字样宽细"}, {"HScroll1", "阴影距离"}, {"Label10", "文字颜色"}, {"Label22", "背景色"}, {"Label26", "阴影色"}})
      QVERIFY2(captionBeside(form_->findChild<QWidget*>(name), text, name.startsWith("Label")), qPrintable(name));
    QStringList captions;  // and the panel's fixed captions, each shown
    for (const QLabel* label : form_->Frame1->findChildren<QLabel*>()) if (label->isVisible()) captions << label->text();
    for (const char* text : {"图象大小", "图象大小取决于内存大小", "文字位置", "文本内容", "选择字体", "选择填充图案", "图案所在文件夹", "图象缩放预览", "(可拖拉大图预览)"})
      QVERIFY2(captions.contains(text), text);
    // clang-format on
    for (ColourSwatch* s : form_->Frame1->findChildren<ColourSwatch*>())  // inside its border
      QCOMPARE(form_->grab().toImage().pixel(s->mapTo(form_.get(), QPoint(2, 2))),
               colour::toPixel(s->BackColor()));
    for (const auto& line : form_->pic1->overlayLines()) QVERIFY(!line.visible);  // none shown
    form_->resize(1167, 900);  // the panel always reaches the bottom edge
    QCOMPARE(form_->Frame1->height(), 900);
    // A field across the panel leaves the same margin on both sides, and the first row (a
    // button) as much above it.
    const QRect across = form_->txtMessage->geometry();
    QCOMPARE(form_->Frame1->width() - 1 - across.right(), across.left());
    QCOMPARE(form_->findChild<QWidget*>("Command5")->y(), across.left());
    // Every control of the panel inside it, none over another, and those side by side level
    // with each other (their middles within half a pixel).
    const auto controls = form_->Frame1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < controls.size(); ++i) {
      QVERIFY(form_->Frame1->rect().contains(controls[i]->geometry()));
      const int right = controls[i]->geometry().right();  // the right column flush with the margin
      QVERIFY(qobject_cast<QLabel*>(controls[i]) || right < 100 || right == across.right());
      for (qsizetype j = i + 1; j < controls.size(); ++j) {
        const QRect a = controls[i]->geometry(), b = controls[j]->geometry();
        QVERIFY2(!a.intersects(b) && (a.bottom() < b.top() || b.bottom() < a.top() ||
                                      std::abs(a.top() + a.bottom() - b.top() - b.bottom()) <= 1),
                 qPrintable(controls[i]->objectName() + " and " + controls[j]->objectName()));
      }
    }
  }

  // Where the described controls lie in the window, after a script, and
  // the colour the screen shows just inside their corners.
  // clang-format off
  void layout_data() {
    QTest::addColumn<Placed>("row");
    const QColor canvas(56, 160, 245);
    QTest::newRow("window") << Placed{"", "Form1", QRect(0, 0, 1167, 855), QColor()};
    QTest::newRow("panel") << Placed{"", "Frame1", QRect(0, 0, 145, 855), QColor(124, 188, 245)};
    QTest::newRow("canvas") << Placed{"", "pic1", QRect(148, 2, 989, 630), canvas};
    QTest::newRow("preview, under the canvas") << Placed{"", "Image1", QRect(150, 4, 121, 71), QColor()};
    QTest::newRow("preview, shrunk") << Placed{"Command4 Command6", "Image1", QRect(150, 4, 89, 57), canvas};
    QTest::newRow("stamp picture") << Placed{"", "Picture1", QRect(-1, -1, 190, 128), QColor()};
    QTest::newRow("pattern preview") << Placed{"", "imgpreview", QRect(-1, -1, 79, 69), QColor()};
    QTest::newRow("working surface") << Placed{"Command5", "picDst", QRect(148, 2, 1000, 1500), QColor()};
  }
  // clang-format on
  void layout() {
    QFETCH(Placed, row);
    const auto& [script, name, rect, shown] = row;
    play(script);
    QWidget* control = name == "Form1" ? form_.get() : form_->findChild<QWidget*>(name);
    QRect at(control->mapTo(form_.get(), QPoint(0, 0)), control->size());
    if (rect.topLeft() == QPoint(-1, -1)) at.moveTopLeft(rect.topLeft());
    QCOMPARE(at, rect);
    if (!shown.isValid()) return;
    for (QPoint corner : {rect.topLeft() + QPoint(2, 2), rect.bottomRight() - QPoint(2, 2)})
      QCOMPARE(form_->grab().toImage().pixelColor(corner), shown);
  }

  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("changed");
    const QString drawn = "step=1 pixels=changed preview=99x63";
    for (const char* command : {"Command1", "Command4", "Command9", "Command8", "Command10", "Command3"}) {
      QTest::addRow("%s draws one step", command) << command << drawn;
      QTest::addRow("%s: empty text", command) << QString("txtMessage=___ %1").arg(command) << "messages=Error now Text entered";
    }
    QTest::newRow("size not a number") << "cbofontsize=abc Command4" << "messages=Glyphant2.0 size=abc";
    QTest::newRow("size 0") << "cbofontsize=0 Command9" << "messages=Glyphant2.0 size=0";
    QTest::newRow("unknown font") << "cbofont=NoSuchFont Command1" << "messages=Glyphant2.0 font=NoSuchFont";
    // Typed text stays as typed, never completed into an entry ("300", "DejaVu Sans").
    QTest::newRow("size and font as typed") << "cbofontsize=30 cbofont=DejaVu" << "size=30 font=DejaVu";
    // The sample text is Chinese: a face without its letters takes them from a CJK face.
    for (const char* family : {"DejaVu Serif", "DejaVu Sans Mono", "Noto Serif CJK SC", "Standard Symbols PS"})
      QTest::addRow("font %s", family) << "cbofont=" + QString(family).replace(' ', '_') + " Command4" << drawn + " font=" + family;
    QTest::newRow("position not a number") << "Text3=abc Command10" << "messages=Glyphant2.0";
    QTest::newRow("style on both surfaces, the last typed") << "choose:cbofontstyle=Bold U:cbofontstyle" << "style=001/001";
    QTest::newRow("italic on both surfaces") << "choose:cbofontstyle=Italic" << "style=010/010";
    QTest::newRow("bold on both surfaces") << "choose:cbofontstyle=Bold" << "style=100/100";
    QTest::newRow("canvas size") << "Command5" << "canvas=1000x1500 pixels=changed preview=100x150 pointer=own+busy_while_resized";
    QTest::newRow("same size keeps the drawing") << "Text2=989 Text1=630 Command4 Command5" << drawn;
    // Past the preview's largest size it shows a reduced copy of the canvas.
    QTest::newRow("canvas wider than the preview grows") << "Text2=5000 Text1=300 Text4=-50 Command5 Command4" << "step=1 canvas=5000x300 pixels=changed preview=500x30 pointer=own+busy_while_resized";
    QTest::newRow("size too large") << "Text2=20000 Text1=20000 Command5" << "messages=Glyphant2.0";
    QTest::newRow("two shrinks: 0.81") << "Command6 Command6" << "canvas=989x630 hidden preview=98x58 empty";
    QTest::newRow("growing hides the canvas") << "Command7" << "canvas=989x630 hidden preview=133x78 empty";
    QTest::newRow("grow, shrink: 0.99") << "Command7 Command6" << "canvas=989x630 hidden preview=120x70 empty";
    QTest::newRow("show the canvas") << "Command6 Command14" << "preview=109x64 empty";
    QTest::newRow("pattern text shows it") << "Command7 Command1" << drawn;
    QTest::newRow("refresh resets the zoom") << "Command4 Command6 Command2" << "step=1 canvas=989x630 hidden preview=99x63";
    // The open dialog offers every picture first, then the filter the shared dialog last had.
    const QString bmp = "[Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*]";
    QTest::newRow("background picture") << "open=a.bmp Command13" << "asked=[pictures|所有文件|*.*] pixels=changed background=8x6 #000000";
    QTest::newRow("background kept by shadow text") << "open=a.bmp Command13 Command9" << "step=1 asked=[pictures|所有文件|*.*] pixels=changed preview=99x63 background=8x6 #000000";
    QTest::newRow("transparent background: the canvas colour") << "open=clear.png Command13" << "asked=[pictures|所有文件|*.*] pixels=changed background=8x6 #38a0f5";
    QTest::newRow("transparent background: the cleared colour") << "open=clear.png Command13 Command9" << "step=1 asked=[pictures|所有文件|*.*] pixels=changed preview=99x63 background=8x6 #ffffff";
    QTest::newRow("clear removes it") << "open=a.bmp Command13 Command2" << "asked=[pictures|所有文件|*.*] preview=99x63";
    QTest::newRow("background cancelled") << "open=- Command13" << "asked=[pictures|所有文件|*.*]";
    QTest::newRow("background cancelled after a stamp picture") << "open=a.bmp Command11 open=- Command13" << "asked=[pictures|所有文件|*.*],[pictures|所有文件|*.*] stamp=8x6";
    QTest::newRow("background unreadable") << "open=broken.gif Command13" << "messages=Glyphant2.0 asked=[pictures|所有文件|*.*]";
    QTest::newRow("background after saving: the save filter") << "save=- Command12 open=- Command13" << "asked=" + bmp + ",[pictures|" + bmp.mid(1);
    QTest::newRow("pattern chosen") << "pick:a.bmp" << "pattern=8x6";
    QTest::newRow("pattern chosen by the keys") << "pick:a.bmp colour=#00ff00 Label10 Down:File1 Down:File1" << "messages=Glyphant2.0 asked=#ff0000 pattern=8x6";
    QTest::newRow("the chosen pattern again") << "pick:a.bmp colour=#00ff00 Label10 pick:a.bmp" << "asked=#ff0000 pattern=8x6";
    QTest::newRow("pattern unreadable") << "pick:broken.gif" << "messages=Glyphant2.0";
    QTest::newRow("text colour empties the holder") << "colour=#00ff00 Label10" << "asked=#ff0000 pattern=none";
    // Each colour dialog starts at its swatch's colour.
    QTest::newRow("cancelled colours") << "colour=- Label10 colour=- Label22 colour=- Label26 colour=- Label7" << "asked=#ff0000,#ffffff,#370372,#c0ffff";
    QTest::newRow("a chosen colour") << "colour=#00ff00 Label26 colour=- Label26" << "asked=#370372,#00ff00";
    QTest::newRow("stamp picture") << "open=a.bmp Command11" << "asked=[pictures|所有文件|*.*] stamp=8x6";
    QTest::newRow("stamp import cancelled, or an empty name") << "open=- Command11 open= Command11" << "asked=[pictures|所有文件|*.*],[pictures|所有文件|*.*]";
    QTest::newRow("stamp unreadable") << "open=broken.gif Command11" << "messages=Glyphant2.0 asked=[pictures|所有文件|*.*]";
    QTest::newRow("click without stamp mode") << "at:100,100" << "";
    QTest::newRow("stamp: slot 0") << "Check2 at:100,100" << drawn;
    QTest::newRow("stamp box hidden") << "Check2 Check2" << "stamp=186x124 hidden";
    QTest::newRow("back at start") << "Command16" << "step=1 status=已到第1步不能再退";
    QTest::newRow("forward at start") << "Command17" << "step=1 status=第1步";
    QTest::newRow("BMP whatever the name") << "Command9 save=out.jpg Command12" << "step=1 asked=" + bmp + " pixels=changed preview=99x63 saved=canvas";
    QTest::newRow("save cancelled") << "save=- Command12" << "asked=" + bmp;
    QTest::newRow("save cancelled after one") << "save=out.jpg Command12 Command4 save=- Command12" << "step=1 asked=" + bmp + ',' + bmp + " pixels=changed preview=99x63 saved=other";
    QTest::newRow("save fails") << "save=missing/x.bmp Command12" << "messages=Glyphant2.0 asked=" + bmp;
  }
  // clang-format on
  void scripts() {
    QFETCH(QString, script);
    const QStringList before = describe();
    play(script);
    QStringList now = describe();
    now.removeIf([&](const QString& entry) { return before.contains(entry); });
    QTEST(now.join(' '), "changed");
  }

  // Pattern text on a white or black ground; with the holder emptied by a
  // text colour, its plain face colour stands for the pattern.
  void patternText_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("white ground") << "";
    QTest::newRow("black ground: the pattern only") << "colour=#000000 Label22";
    QTest::newRow("emptied holder") << "colour=#00ff00 Label10";
    QTest::newRow("after 确 定 resized the canvas") << "Command5";
  }
  void patternText() {
    QFETCH(QString, script);
    play("pick:a.bmp txtMessage=H cbofontsize=300 Text3=5 Text4=-40 " + script + " Command1");
    QImage tile = patternImage(8, 6);
    if (script.contains("Label10")) tile.fill(colour::toQColor(colour::kButtonFace));
    const bool black = script.contains("Label22");
    const QImage canvas = form_->pic1->Image();
    int letters = 0, white = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) {
        const QRgb shown = canvas.pixel(x, y), pattern = tile.pixel(x % 8, y % 6);
        // The pattern shows through everywhere, brightened by the ground only.
        if ((shown | pattern) != shown || (black && shown != pattern))
          QFAIL(qPrintable(QString("pixel %1,%2 is %3").arg(x).arg(y).arg(shown, 0, 16)));
        letters += shown == pattern;
        white += shown == 0xFFFFFFFF;
      }
    QVERIFY2(black || (letters > 5000 && white > canvas.width() * canvas.height() / 2),
             qPrintable(QString("%1 letter and %2 white pixels").arg(letters).arg(white)));
  }

  // An earlier blue text, then "H" in red at (100, 100) with its shadow
  // `distance` up-left (-) or down-right (+).
  // clang-format off
  void shadowText_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("distance");
    QTest::newRow("绘制阴影1") << "Command9" << -10;
    QTest::newRow("绘制阴影2") << "Command8" << 10;
    QTest::newRow("连续绘制1 at 50") << "End:HScroll1 Command10" << -50;
    QTest::newRow("连续绘制2") << "Command3" << 10;
    QTest::newRow("连续绘制2 at 1") << "Home:HScroll1 Command3" << 1;
    // Letters borrowed from a CJK face stay inside the symbol face's line box,
    // after its own ("a" is its alpha).
    QTest::newRow("绘制阴影1 in a symbol face") << "cbofontsize=80 cbofont=Standard_Symbols_PS txtMessage=a大 Command9" << -10;
  }
  // clang-format on
  void shadowText() {
    QFETCH(QString, command);
    QFETCH(int, distance);
    play("txtMessage=H cbofontsize=150 Text3=600 Text4=300 colour=#0000ff Label10 Command4");
    play("colour=#ff0000 Label10 Text3=100 Text4=100 " + command);
    const QImage canvas = form_->pic1->Image();
    const QRect text = inkOf(canvas, qRgb(255, 0, 0)), shadow = inkOf(canvas, qRgb(55, 3, 114));
    QVERIFY2(QRect(90, 100, 200, 250).contains(text), qPrintable(QString::number(text.left())));
    QCOMPARE(distance < 0 ? shadow.topLeft() : shadow.bottomRight(),
             (distance < 0 ? text.topLeft() : text.bottomRight()) + QPoint(distance, distance));
    // The continued drawings keep what the canvas held.
    QCOMPARE(inkOf(canvas, qRgb(0, 0, 255)).isEmpty(),
             command.endsWith("Command9") || command.endsWith("Command8"));
  }

  // The stamp where the button went down, pixels of the mask colour left
  // out, wherever the canvas was dragged meanwhile.
  // clang-format off
  void stamp_data() {
    QTest::addColumn<Stamp>("row");
    QTest::newRow("the stamp's ground drops out") << Stamp{"", QPoint(100, 100), QPoint(), true};
    QTest::newRow("a mask it lacks: the whole rectangle") << Stamp{"colour=#010203 Label7", QPoint(100, 100), QPoint(), false};
    QTest::newRow("clipped at the edges") << Stamp{"", QPoint(960, 610), QPoint(), true};
    QTest::newRow("after dragging the canvas") << Stamp{"", QPoint(50, 40), QPoint(-30, 20), true};
    // Its clear pixels show the stamp box's ground, the mask colour at start.
    QTest::newRow("a transparent stamp") << Stamp{"open=clear.png Command11", QPoint(100, 100), QPoint(), true};
  }
  // clang-format on
  void stamp() {
    QFETCH(Stamp, row);
    const auto& [script, at, drag, dropsOut] = row;
    play(script + " Check2");
    const QPoint canvasAt = form_->pic1->pos();
    press(at, drag);
    waitForPictures();
    QCOMPARE(form_->pic1->pos(), canvasAt + drag);
    // The stamp as its box shows it.
    const QImage stamp = form_->Picture1->Image(), canvas = form_->pic1->Image();
    const QRgb key = colour::toQColor(form_->Label7->BackColor()).rgb();
    int left = 0;
    for (int y = 0; y < stamp.height(); ++y)
      for (int x = 0; x < stamp.width(); ++x) {
        const QPoint target = at + QPoint(x, y);
        if (!canvas.rect().contains(target)) continue;
        left += stamp.pixel(x, y) == key;
        QCOMPARE(canvas.pixel(target),
                 stamp.pixel(x, y) == key ? start_.pixel(target) : stamp.pixel(x, y));
      }
    QCOMPARE(left > 0, dropsOut);
    QCOMPARE(canvas.pixel(at - QPoint(1, 1)), start_.pixel(at - QPoint(1, 1)));
  }

  void dragsTheStampPicture() {
    const QPoint before = form_->Picture1->pos();
    press({5, 5}, {40, 30}, form_->Picture1);
    QVERIFY(form_->Picture1->pos() - before == QPoint(40, 30) && form_->pic1->Image() == start_);
  }

  void stepsRestoreTheCanvas() {
    QList<QImage> steps;
    for (int i = 0; i < 3; ++i) {
      play(QString("txtMessage=I cbofontsize=100 Text3=%1 Command4").arg(i * 200));
      steps << form_->pic1->Image();
    }
    for (const auto& [button, step, status] : {std::tuple{"Command16", 2, "第2步"},
                                               {"Command16", 1, "已到第1步不能再退"},
                                               {"Command17", 2, "第2步"}}) {
      play(button);
      QVERIFY2(imageDifference(form_->pic1->Image(), steps[step - 1]).isEmpty(), status);
      QCOMPARE(form_->Label27->text(), QString(status));
    }
    // The restored picture stays under shadow text, which records step 3.
    const QPoint i = inkOf(steps[0], qRgb(255, 0, 0)).center();
    play("Text3=500 Command9");
    QCOMPARE(form_->pic1->Image().pixel(i), qRgb(255, 0, 0));
    const QImage now = form_->pic1->Image();
    play("Command17");  // slot 4 was never written: only the status changes
    QVERIFY(form_->Label27->text() == "第4步" && form_->pic1->Image() == now);
    play("Command2");
    QCOMPARE(inkOf(form_->pic1->Image(), qRgb(255, 0, 0)), QRect());
  }

  // A long operation whose worker waits at a gate the test opens: the window
  // goes on answering (a queued timer fires, it repaints), shows the busy
  // pointer and, after a moment, a progress window with a cancel, and ignores
  // a click that would draw meanwhile. Nothing changes until the result is in;
  // then the operation has done what it does when nothing holds it (the same
  // changes as in scripts()), and a cancel leaves everything as it was.
  // clang-format off
  void longOperations_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("changed");  // by the command, once in; empty: cancelled
    const QList<std::array<QString, 5>> rows{
        {"图案文字", "", "Command1", "正在绘制图案文字……", "step=1 pixels=changed preview=99x63"},
        {"连续绘制1", "", "Command10", "正在绘制文字……", "step=1 pixels=changed preview=99x63"},
        {"清除图像", "Command4", "Command2", "正在清除图像……", "pixels=start"},
        {"确 定", "Text2=1200 Text1=700", "Command5", "正在改变图象大小……", "canvas=1200x700 pixels=changed preview=120x70 pointer=own+busy_while_resized"},
        {"退一步", "Command4 Text3=300 Command4", "Command16", "正在退一步……", "step=1 status=已到第1步不能再退 preview=99x63 stale background=989x630 #38a0f5"},
        {"进一步", "Command4 Command16", "Command17", "正在进一步……", "step=2 status=第2步"}};
    for (const auto& [name, script, command, label, changed] : rows) {
      QTest::addRow("%s", qPrintable(name)) << script << command << label << changed;
      QTest::addRow("%s, cancelled", qPrintable(name)) << script << command << label << QString();
    }
  }
  // clang-format on
  void longOperations() {
    QFETCH(QString, script);
    QFETCH(QString, command);
    QFETCH(QString, changed);
    play(script);
    const QStringList before = describe();
    const QImage canvas = form_->pic1->Image();
    QSemaphore gate;
    for (int i = 0; i < BackgroundJob::workers().maxThreadCount(); ++i)
      BackgroundJob::workers().start([&gate] { gate.acquire(); });
    const auto open = [&] {
      gate.release(BackgroundJob::workers().maxThreadCount());
      BackgroundJob::workers().waitForDone();
    };
    auto openAtLast = qScopeGuard(open);  // should a check fail meanwhile
    act(command);
    bool answered = false;
    QTimer::singleShot(0, this, [&] { answered = true; });
    QTRY_VERIFY(answered);
    QVERIFY(!form_->grab().isNull() && cursor_override::current() == Qt::BusyCursor);
    act("Command9");  // ignored while the operation works
    QProgressDialog* progress = nullptr;
    QTRY_VERIFY((progress = form_->findChild<QProgressDialog*>()) && progress->isVisible());
    QTEST(progress->labelText(), "label");
    QVERIFY(form_->pic1->Image() == canvas &&
            describe().join(' ') == before.join(' ').replace("pointer=own", "pointer=overridden"));
    if (changed.isEmpty()) QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    openAtLast.dismiss();
    open();
    waitForPictures();
    QStringList now = describe();
    now.removeIf([&](const QString& entry) { return before.contains(entry); });
    QCOMPARE(now.join(' '), changed);
    QTRY_VERIFY(form_->isActiveWindow());             // where the user left the focus
    if (command == "Command1" && !changed.isEmpty())  // the step recorded is the canvas shown
      QCOMPARE(form_->History.slot(1), form_->pic1->Image());
  }

  void pointerReadoutsAndGuides() {
    const auto move = [&](QPointF at) {
      QMouseEvent event(QEvent::MouseMove, at, form_->pic1->mapToGlobal(at), Qt::NoButton,
                        Qt::NoButton, {});
      QCoreApplication::sendEvent(form_->pic1, &event);
      const auto& lines = form_->pic1->overlayLines();
      return QString("%1 %2 %3 %4")
          .arg(form_->Label5->text(), form_->Label6->text(), form_->windowTitle())
          .arg(lines[Form1::Line1].visible && lines[Form1::Line2].visible ? "guides" : "none");
    };
    QCOMPARE(move({120.4, 85.5}), QString("宽x=120 高y=86 Glyphant2.0 none"));
    play("Check1");
    QCOMPARE(move({120.4, 85.5}), "宽x=120 高y=86 Glyphprint2.0          120.4|85.5 guides");
    QCOMPARE(form_->pic1->overlayLines()[Form1::Line2].line, QLineF(0, 85.5, 989, 85.5));
    QCOMPARE(form_->pic1->overlayLines()[Form1::Line1].line, QLineF(120.4, 0, 120.4, 630));
    play("Check1");
    form_->pic1->move(20, 20);  // dragged over the panel
    form_->pic1->raise();
    QCOMPARE(move({2.5, 3}), QString("宽x=2 高y=3 Glyphprint2.0          120.4|85.5 none"));
    QVERIFY2(form_->Frame1->isAncestorOf(form_->childAt(30, 300)), "the panel stays on top");
  }
};

QTEST_MAIN(TstGlyphantWindow)

#include "tst_glyphant_window.moc"
