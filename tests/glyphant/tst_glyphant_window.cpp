#include <QtTest>

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include "common/colour_swatch.h"
#include "common/picture_box.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/stretched_image.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

class TstGlyphantWindow : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<QTemporaryDir> dir_;  // the program folder
  std::unique_ptr<Form1> form_;
  QImage start_;

  QString path(const QString& name) const { return dir_->filePath(name); }

  // One user action: open=NAME|-, save=NAME|-, colour=#rrggbb|- answer the
  // next dialog (a file of the program folder, or cancel); NAME=TEXT types
  // into a field ('_' for a space); choose:NAME=TEXT picks from a list;
  // pick:NAME clicks an entry of the pattern list; at:X,Y presses the
  // canvas; End:NAME presses End on a bar; a control's name clicks it.
  void act(const QString& action) {
    const QString value = action.section(QRegularExpression("[=:]"), 1);
    const auto file = [&] {
      return value == "-" ? std::nullopt : std::optional(value.isEmpty() ? value : path(value));
    };
    QWidget* control = form_->findChild<QWidget*>(action.section(QRegularExpression("[=:]"), 0, 0));
    if (action.startsWith("open=")) {
      dialogs_->answerOpen(file());
    } else if (action.startsWith("save=")) {
      dialogs_->answerSave(file());
    } else if (action.startsWith("colour=")) {
      dialogs_->answerColour(value == "-" ? std::nullopt : std::optional(QColor(value)));
    } else if (action.startsWith("choose:")) {
      auto* box = form_->findChild<QComboBox*>(value.section('=', 0, 0));
      QTest::keyClick(box, Qt::Key_F4);  // opens the list
      QTRY_VERIFY(box->view()->isVisible());
      const QModelIndex entry = box->model()->index(box->findText(value.section('=', 1)), 0);
      QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {},
                        box->view()->visualRect(entry).center());
    } else if (action.contains('=')) {
      auto* edit = qobject_cast<QLineEdit*>(control);
      if (edit == nullptr) edit = qobject_cast<QComboBox*>(control)->lineEdit();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Delete);
      QTest::keyClicks(edit, QString(value).replace('_', ' '));
    } else if (action.startsWith("pick:")) {
      QListWidget* list = form_->File1;
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->findItems(value, {})[0]).center());
    } else if (action.startsWith("at:")) {
      press(QPoint(value.section(',', 0, 0).toInt(), value.section(',', 1).toInt()));
    } else if (action.startsWith("End:")) {
      QTest::keyClick(form_->findChild<QWidget*>(value), Qt::Key_End);
    } else {
      QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
    }
  }
  void play(const QString& script) {
    for (const QString& action : script.split(' ', Qt::SkipEmptyParts)) act(action);
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
  // The bounding box of the pixels of exactly one colour.
  static QRect inkOf(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == colour) box |= QRect(x, y, 1, 1);
    return box;
  }

  // The window's state as "key=value" entries.
  QStringList describe() const {
    const auto size = [](QSize s) { return QString::asprintf("%dx%d", s.width(), s.height()); };
    const auto picture = [&](const QImage& p) { return p.isNull() ? "none" : size(p.size()); };
    const auto style = [](const QFont& f) {
      return QString("%1%2%3").arg(f.bold()).arg(f.italic()).arg(f.underline());
    };
    QStringList titles;
    for (const MessageRequest& message : dialogs_->messages()) titles << message.title;
    const QImage canvas = form_->pic1->Image(), saved(path("out.jpg"), "BMP");
    return {QString("step=%1").arg(form_->History.stepIndex()),
            "status=" + form_->Label27->text(),
            "messages=" + titles.join(','),
            "canvas=" + size(form_->pic1->size()) + (form_->pic1->isVisible() ? "" : " hidden"),
            "pixels=" + QString(canvas == start_ ? "start" : "changed"),
            "preview=" + size(form_->Image1->size()),
            "background=" + picture(form_->pic1->Picture()),
            "pattern=" + picture(form_->PicRes->Picture()),
            "stamp=" + picture(form_->Picture1->Picture()) +
                (form_->Picture1->isHidden() ? " hidden" : ""),
            "style=" + style(form_->pic1->font()) + '/' + style(form_->picDst->font()),
            "saved=" + QString(saved.isNull()    ? "none"
                               : saved == canvas ? "canvas"
                                                 : "other")};
  }

 private slots:
  void init() {
    dialogs_ = std::make_unique<ScriptedDialogs>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(dir_->path()).mkdir("textures"));
    for (const char* name : {"textures/a.bmp", "textures/C.JPG", "a.bmp"})
      QVERIFY(patternImage(8, 6).save(path(name), "BMP"));
    for (const char* name : {"textures/broken.gif", "broken.gif", "textures/notes.txt"}) {
      QFile file(path(name));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write("GIF89a, but no picture") > 0);
    }
    form_ = std::make_unique<Form1>(dir_->path());
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    start_ = form_->pic1->Image();
  }

  void cleanup() {
    QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
    QCOMPARE(dialogs_->unusedAnswers(), 0);
    form_.reset();
    dialogs_.reset();
  }

  void startState() {
    QCOMPARE(describe().join(' '),
             QString("step=0 status=可记录10步 messages= canvas=989x630 pixels=start "
                     "preview=121x71 background=none pattern=100x100 stamp=186x124 "
                     "style=000/000 saved=none"));
    QCOMPARE(QString("%1 %2 %3 %4")
                 .arg(form_->windowTitle())
                 .arg(form_->size().width())
                 .arg(form_->Frame1->width())
                 .arg(form_->Frame1->height()),
             QString("Glyphant2.0 1167 145 855"));
    QCOMPARE(form_->pic1->geometry(), QRect(148, 2, 989, 630));
    QCOMPARE(form_->pic1->Point(5, 5), colour::rgb(56, 160, 245));
    const QStringList families = QFontDatabase::families();
    const QComboBox *fonts = form_->cbofont, *sizes = form_->cbofontsize;
    QCOMPARE(fonts->count(), (families.size() + 1) / 2);
    QCOMPARE(fonts->currentIndex(), fonts->count() > 32 ? 32 : 0);
    QCOMPARE(QStringList({sizes->itemText(0), sizes->itemText(1), sizes->itemText(496),
                          sizes->itemText(497), sizes->currentText(), sizes->itemText(498)}),
             QStringList({"12", "16", "1996", "2000", "364", ""}));
    QStringList files;  // the pattern kinds only, whatever their case
    for (int i = 0; i < form_->File1->count(); ++i) files << form_->File1->item(i)->text();
    QCOMPARE(files, QStringList({"a.bmp", "broken.gif", "C.JPG"}));
    QCOMPARE(form_->txtsave->text(), dir_->path() + "/Saved.bmp");
    // A folder given with its separator gets no second one.
    QCOMPARE(Form1(dir_->path() + '/').txtsave->text(), dir_->path() + "/Saved.bmp");
  }

  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("changed");
    const QString drawn = "step=1 pixels=changed preview=99x63";
    for (const char* command : {"Command1", "Command4", "Command9", "Command8", "Command10", "Command3"}) {
      QTest::addRow("%s draws one step", command) << command << drawn;
      QTest::addRow("%s: empty text", command) << QString("txtMessage=___ %1").arg(command)
                                               << "messages=Error now Text entered";
    }
    QTest::newRow("size not a number") << "cbofontsize=abc Command4" << "messages=Glyphant2.0";
    QTest::newRow("size 0") << "cbofontsize=0 Command9" << "messages=Glyphant2.0";
    QTest::newRow("unknown font") << "cbofont=NoSuchFont Command1" << "messages=Glyphant2.0";
    const QStringList families = QFontDatabase::families();  // every font offered draws
    for (qsizetype i = 0; i < families.size(); i += 2)
      QTest::addRow("font %s", qPrintable(families[i])) << "cbofont=" + QString(families[i]).replace(' ', '_') + " Command4" << drawn;
    QTest::newRow("position not a number") << "Text3=abc Command10" << "messages=Glyphant2.0";
    QTest::newRow("style on both surfaces") << "choose:cbofontstyle=Bold choose:cbofontstyle=Underline" << "style=001/001";
    QTest::newRow("canvas size") << "Command5" << "canvas=1000x1500 pixels=changed preview=100x150";
    QTest::newRow("same size keeps the drawing") << "Text2=989 Text1=630 Command4 Command5" << drawn;
    QTest::newRow("size too large") << "Text2=20000 Text1=20000 Command5" << "messages=Glyphant2.0";
    QTest::newRow("two shrinks: 0.81") << "Command6 Command6" << "canvas=989x630 hidden preview=98x58";
    QTest::newRow("grow, shrink: 0.99") << "Command7 Command6" << "canvas=989x630 hidden preview=120x70";
    QTest::newRow("show the canvas") << "Command6 Command14" << "preview=109x64";
    QTest::newRow("pattern text shows it") << "Command7 Command1" << drawn;
    QTest::newRow("refresh resets the zoom") << "Command4 Command6 Command2" << "step=1 canvas=989x630 hidden preview=99x63";
    QTest::newRow("background picture") << "open=a.bmp Command13" << "pixels=changed background=8x6";
    QTest::newRow("background kept by shadow text") << "open=a.bmp Command13 Command9" << drawn + " background=8x6";
    QTest::newRow("clear removes it") << "open=a.bmp Command13 Command2" << "preview=99x63";
    QTest::newRow("background cancelled") << "open=- Command13" << "";
    QTest::newRow("background unreadable") << "open=broken.gif Command13" << "messages=Glyphant2.0";
    QTest::newRow("pattern chosen") << "pick:a.bmp" << "pattern=8x6";
    QTest::newRow("pattern unreadable") << "pick:broken.gif" << "messages=Glyphant2.0";
    QTest::newRow("text colour empties the holder") << "colour=#00ff00 Label10" << "pattern=none";
    QTest::newRow("cancelled colours") << "colour=- Label10 colour=- Label22 colour=- Label26 colour=- Label7" << "";
    QTest::newRow("stamp picture") << "open=a.bmp Command11" << "stamp=8x6";
    QTest::newRow("stamp import cancelled") << "open=- Command11" << "";
    QTest::newRow("empty name") << "open= Command11" << "";
    QTest::newRow("stamp unreadable") << "open=broken.gif Command11" << "messages=Glyphant2.0";
    QTest::newRow("click without stamp mode") << "at:100,100" << "";
    QTest::newRow("stamp: slot 0") << "Check2 at:100,100" << drawn;
    QTest::newRow("stamp box hidden") << "Check2 Check2" << "stamp=186x124 hidden";
    QTest::newRow("back at start") << "Command16" << "step=1 status=已到第1步不能再退";
    QTest::newRow("forward at start") << "Command17" << "step=1 status=第1步";
    QTest::newRow("print does nothing") << "Command15" << "";
    QTest::newRow("BMP whatever the name") << "Command9 save=out.jpg Command12" << drawn + " saved=canvas";
    QTest::newRow("save cancelled") << "save=- Command12" << "";
    QTest::newRow("save fails") << "save=missing/x.bmp Command12" << "messages=Glyphant2.0";
  }
  // clang-format on
  void scripts() {
    QFETCH(QString, script);
    QFETCH(QString, changed);
    const QStringList before = describe();
    play(script);
    QStringList now = describe();
    now.removeIf([&](const QString& entry) { return before.contains(entry); });
    QCOMPARE(now.join(' '), changed);
  }

  // Pattern text on a white or black ground; with the holder emptied by a
  // text colour, its plain face colour stands for the pattern.
  void patternText_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("white ground") << "";
    QTest::newRow("black ground: the pattern only") << "colour=#000000 Label22";
    QTest::newRow("emptied holder") << "colour=#00ff00 Label10";
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
  void shadowText_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("distance");
    QTest::newRow("绘制阴影1") << "Command9" << -10;
    QTest::newRow("绘制阴影2") << "Command8" << 10;
    QTest::newRow("连续绘制1 at 50") << "End:HScroll1 Command10" << -50;
    QTest::newRow("连续绘制2") << "Command3" << 10;
  }
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
  void stamp_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("drag");
    QTest::newRow("the stamp's ground drops out") << "" << QPoint(100, 100) << QPoint();
    QTest::newRow("a mask it lacks: the whole rectangle")
        << "colour=#010203 Label7" << QPoint(100, 100) << QPoint();
    QTest::newRow("clipped at the edges") << "" << QPoint(960, 610) << QPoint();
    QTest::newRow("after dragging the canvas") << "" << QPoint(50, 40) << QPoint(-30, 20);
  }
  void stamp() {
    QFETCH(QString, mask);
    QFETCH(QPoint, at);
    QFETCH(QPoint, drag);
    play(mask + " Check2");
    const QPoint canvasAt = form_->pic1->pos();
    press(at, drag);
    QCOMPARE(form_->pic1->pos(), canvasAt + drag);
    const QImage stamp = form_->Picture1->Picture(), canvas = form_->pic1->Image();
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
    QCOMPARE(left > 0, mask.isEmpty());
    QCOMPARE(canvas.pixel(at - QPoint(1, 1)), start_.pixel(at - QPoint(1, 1)));
  }

  void dragsTheStampPicture() {
    const QPoint before = form_->Picture1->pos();
    press({5, 5}, {40, 30}, form_->Picture1);
    QCOMPARE(form_->Picture1->pos() - before, QPoint(40, 30));
    QCOMPARE(form_->pic1->Image(), start_);
  }

  void stepsRestoreTheCanvas() {
    QList<QImage> steps;
    for (int i = 0; i < 3; ++i) {
      play(QString("txtMessage=I cbofontsize=100 Text3=%1 Command4").arg(i * 200));
      steps << form_->pic1->Image();
    }
    const std::tuple<const char*, int, const char*> moves[] = {
        {"Command16", 2, "第2步"},
        {"Command16", 1, "已到第1步不能再退"},
        {"Command17", 2, "第2步"}};
    for (const auto& [button, step, status] : moves) {
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
    QCOMPARE(form_->Label27->text(), QString("第4步"));
    QCOMPARE(form_->pic1->Image(), now);
    play("Command2");
    QCOMPARE(inkOf(form_->pic1->Image(), qRgb(255, 0, 0)), QRect());
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
    QCOMPARE(move({120.4, 85.5}),
             QString("宽x=120 高y=86 Glyphprint2.0          120.4|85.5 guides"));
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
