#include <sys/stat.h>

#include <QtTest>

#include <QtWidgets>

#include "common/colour_swatch.h"
#include "common/font_list.h"
#include "common/picture_box.h"
#include "common/picture_filter.h"
#include "gridorm/cell_editor.h"
#include "gridorm/image_control.h"
#include "gridorm/table_designer.h"
#include "tests/support/disk_fault.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// Screen fonts named by their index in the system's list.
struct NumberedFonts : FontCatalogue {
  QStringList families() const override { return names; }
  QStringList names;
};

// The rows of the opening table down a column of the canvas, in pixels.
const QString kRows = "0+2 40+2 80+2 120+2 160+2 200+2 240+2 280+2 320+2 360+2 400+2";
// kDark stands for any pixel clearly darker than white.
constexpr QRgb kWhite = 0xFFFFFFFF, kRuleColour = 0xFFB13081, kBlue = 0xFF0000FF, kDark = 0;

// Where runs of `ink` start along a row (or a column) of the canvas, with their widths.
static QString runs(const QImage& image, int index, bool row, QRgb ink) {
  QStringList found;
  const int length = row ? image.width() : image.height();
  for (int i = 0, start = -1; i <= length; ++i) {
    const QRgb pixel = i < length ? (row ? image.pixel(i, index) : image.pixel(index, i)) : 0;
    const bool inked = i < length && (ink == kDark ? qGreen(pixel) < 224 : pixel == ink);
    if (inked && start < 0) start = i;
    if (!inked && start >= 0) found << QString("%1+%2").arg(start).arg(i - start), start = -1;
  }
  return found.join(' ');
}

// Reaches QScrollBar's protected option, with no cast to a type it is not.
struct ScrollBarAccess : QScrollBar {
  using QScrollBar::initStyleOption;
};

// Whether any pixel of `area` is of `ink`.
static bool inkedNear(const QImage& image, QRect area, QRgb ink) {
  return !inkOf(image.copy(area), ink).isEmpty();
}

// A control's place in the window (none where the place is ours to choose),
// what is clicked to show it, and for a bar "minimum-maximum=value[/small/large]".
using Placed = std::tuple<QRect, QString, QString>;

// A save (or else an import), the name the dialog answers ("-" cancels), and
// the outcome: the texture's size, the messages' titles and the folder.
using FileRow = std::tuple<bool, QString, QString>;

class TstTableDesigner : public WindowTest {
  Q_OBJECT

  std::unique_ptr<Form1> form_;

  void open(int fonts = 70) {
    NumberedFonts catalogue;
    for (int i = 0; i < fonts; ++i) catalogue.names << QString("font%1").arg(i);
    form_ = std::make_unique<Form1>(&catalogue);
    QVERIFY(exposed(form_.get()));
  }
  void click(const QString& names) {  // one after another
    for (const QString& name : names.split(' ')) {
      auto* control = form_->findChild<QWidget*>(name);
      QVERIFY2(control != nullptr, qPrintable(name));
      QTest::mouseClick(control, Qt::LeftButton);
      waitForPictures();
    }
  }
  static void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  void clickCanvas(QPoint pixel) {
    QTest::mouseClick(form_->Picture1, Qt::LeftButton, {},
                      form_->Picture1->contentsRect().topLeft() + pixel);
  }
  QImage canvas() const { return form_->Picture1->Image(); }
  QString editor() const {
    const table::EditorBox& b = form_->Text7->box();
    return QString("%1 %2 %3 %4").arg(b.left).arg(b.top).arg(b.width).arg(b.height);
  }

 private slots:
  void init() {
    startWindowTest();
    open();
  }
  void cleanup() { endWindowTest(form_); }

  // The window as it opens, with the font list from the screen fonts: its
  // entry 32, or its first when there are fewer.
  void opens_data() {
    QTest::addColumn<int>("screenFonts");
    QTest::addColumn<QString>("fonts");  // how many are listed, and which is chosen
    QTest::newRow("entry 32") << 70 << "35 font64";
    QTest::newRow("fewer than 33: the first") << 10 << "5 font0";
    QTest::newRow("no fonts") << 0 << "0 ";
  }
  void opens() {
    QFETCH(int, screenFonts);
    QFETCH(QString, fonts);
    open(screenFonts);
    Form1& f = *form_;
    // The canvas's sunken edge is a flat line with the canvas's own white inside it.
    const QImage edge = f.Picture1->grab().toImage();
    // The window as drawn: in the line between the panel and the canvas, and inside the panel.
    const QImage shown = onScreen(&f);
    // clang-format off
    const auto hex = [](ColourRef c) { return QString::number(c, 16); };
    const QStringList state = {
        f.windowTitle(), QString("%1 %2").arg(f.cbofont->count()).arg(f.cbofont->currentText()),
        QColor(shown.pixel(400, 99)).name(), QColor(shown.pixel(400, 94)).name(),
        f.Label22->text(), f.Label23->text(), f.cbofontsize->currentText(),
        f.cbofontsize->itemText(16), f.cbofontstyle->currentText(), f.Picture1->font().bold() ? "bold" : "",
        f.Combo1->currentText(), f.Combo1->itemText(11) + '/' + QString::number(f.Combo1->count()), editor(), f.Picture2->isVisible() ? "" : "hidden",
        f.Frame2->isVisible() ? "" : "hidden", hex(f.Label1->BackColor()), hex(f.Label4->BackColor()),
        hex(f.Label24->BackColor()), hex(edge.pixel(0, 200)), hex(edge.pixel(1, 200)), f.Command13[0]->text() + ',' + f.Command13[1]->text() + ',' + f.Command13[11]->text()};
    QCOMPARE(state.join(" | "), "Gridorm2.0 | " + fonts +
        " | #004040 | #7cbcf5 | 14265 | 7065 | 20 | 72 | Bold | bold | 2 | 12/12 | 70 70 1920 520"
        " | hidden | hidden | 8130b1 | ff0000 | 80000009 | ff54a5d5 | ffffffff | l,2,12");
    // clang-format on
    for (QComboBox* box : {f.cbofont, f.cbofontstyle})  // their entries drawn, not just the skin
      QVERIFY(box->currentText().isEmpty() ||
              boundsOf(onScreen(box), [](QRgb c) { return qGray(c) < 96; }).width() > 24);
    // Each described field with its caption just left of it, on its row; each size its unit
    // just right of it.
    // clang-format off
    for (const auto& [name, text] : QList<std::pair<QString, QString>>{{"Text1", "左上角x"}, {"Text2", "左上角y"}, {"Text5", "表格宽"}, {"Text4", "表格高"}, {"Text3", "列数"},
         {"Text6", "行数"}, {"Combo1", "表格线宽"}, {"cbofont", "字体"}, {"cbofontsize", "大小"}, {"cbofontstyle", "粗细"}, {"HScroll1", "图片宽"}, {"HScroll2", "图片高"}, {"Label22", "线"}, {"Label23", "线"}})
      QVERIFY2(captionBeside(f.findChild<QWidget*>(name), text, name.startsWith("Label")), qPrintable(name));
    // clang-format on
    QStringList names;  // each control found by its own name
    for (const QWidget* w : f.findChildren<QWidget*>(QRegularExpression("^[A-Zct]")))
      names << w->objectName();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
  }

  // Where the window puts each described control, from the described twips
  // (15 to a pixel; each value rounded on its own), and that it is there on
  // screen, on top; for bars, their ranges, steps and start values. Each row
  // is named by its control first.
  void describedControls_data() {
    QTest::addColumn<Placed>("row");
    const auto tw = [](int x, int y, int w, int h) {
      return QRect(qRound(x / 15.0), qRound(y / 15.0), qRound(w / 15.0), qRound(h / 15.0));
    };
    // The client is 14640 x 9360 twips; the window outside it 14760 x 9870.
    const int e = 15 * QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QString pan = "1-32767=1/20/1500";
    // clang-format off
    QTest::newRow("Frame1") << Placed{tw(0, 0, 14760, 1485), "", ""};
    QTest::newRow("Picture1") << Placed{tw(59, 1549, 14265, 7065), "", ""};
    QTest::newRow("Text7 in the canvas's border") << Placed{QRect(11, 110, 128, 35), "", ""};
    QTest::newRow("HScroll") << Placed{tw(0, 9360 - e, 14760 - 400, e), "", pan};
    QTest::newRow("VScroll") << Placed{tw(14640 - e, 0, e, 9870 - 800), "", pan};
    QTest::newRow("HScroll1 steps a pixel by an arrow") << Placed{QRect(), "", "10-32767=14265/15/1500"};
    QTest::newRow("Command1") << Placed{tw(14760 - 315 - 100, 9870 - 315 - 500, 315, 315), "", ""};
    QTest::newRow("Picture2") << Placed{tw(11160, 450, 2850, 1920), "Option1(1)", ""};
    QTest::newRow("Frame2") << Placed{tw(14760 - 3435 - 600, 1500, 3435, 7425), "Command12", ""};
    QTest::newRow("Image1(0)") << Placed{tw(10725 + 90, 1500 + 300, 1665, 1095), "Command12", ""};
    QTest::newRow("Image1(5)") << Placed{tw(10725 + 90, 1500 + 5850, 1665, 1095), "Command12", ""};
    QTest::newRow("Image1(6)") << Placed{tw(10725 + 1740, 1500 + 300, 1665, 1095), "Command12", ""};
    QTest::newRow("Image1(11)") << Placed{tw(10725 + 1740, 1500 + 5850, 1665, 1095), "Command12", ""};
    QTest::newRow("Command13(6)") << Placed{tw(12465 + 390, 1800 + 780, 885, 285), "Command12", ""};
    // clang-format on
  }
  void describedControls() {
    const QString name = QString(QTest::currentDataTag()).section(' ', 0, 0);
    QFETCH(Placed, row);
    const auto& [place, shownBy, bar] = row;
    if (!shownBy.isEmpty()) click(shownBy);
    auto* control = form_->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    const QRect shown(control->mapTo(form_.get(), QPoint(0, 0)), control->size());
    if (!place.isNull()) QCOMPARE(shown, place);
    QWidget* top = form_->childAt(shown.center());
    QVERIFY2(top == control || control->isAncestorOf(top), qPrintable(name + " is covered"));
    // The size bars' steps are ours to choose; the panning bars' are described.
    if (auto* s = qobject_cast<QScrollBar*>(control)) {
      const QString range = QString::asprintf("%d-%d=%d/%d/%d", s->minimum(), s->maximum(),
                                              s->value(), s->singleStep(), s->pageStep());
      QCOMPARE(bar.contains('/') ? range : range.section('/', 0, 0), bar);
    }
  }

  // Every part of both panning bars can be seen and clicked: the pointer goes
  // to the window, which hands each press to whatever lies on top there.
  void panningBarsEndToEnd_data() {
    QTest::addColumn<QSize>("window");
    QTest::newRow("right-hand bar") << QSize();
    QTest::newRow("right-hand bar, resized") << QSize(700, 420);
    QTest::newRow("bottom bar, resized") << QSize(700, 420);
  }
  void panningBarsEndToEnd() {
    QFETCH(QSize, window);
    if (window.isValid()) form_->resize(window);
    QTRY_VERIFY(!window.isValid() || form_->size() == window);
    QScrollBar* bar = QTest::currentDataTag()[0] == 'r' ? form_->VScroll : form_->HScroll;
    const QRect place = bar->geometry();
    const bool vertical = bar->orientation() == Qt::Vertical;
    // Nothing lies over any part of it.
    for (int i = 0; i < (vertical ? place.height() : place.width()); ++i) {
      const QPoint at = place.topLeft() +
                        (vertical ? QPoint(place.width() / 2, i) : QPoint(i, place.height() / 2));
      QVERIFY2(form_->childAt(at) == bar, qPrintable(QString("covered at %1").arg(i)));
    }
    const auto canvasAt = [&] { return vertical ? form_->Picture1->y() : form_->Picture1->x(); };
    const int start = canvasAt();
    const auto part = [&](QStyle::SubControl sub) {
      QStyleOptionSlider option;
      (bar->*&ScrollBarAccess::initStyleOption)(&option);
      return place.topLeft() +
             bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, sub, bar).center();
    };
    QWindow* handle = form_->windowHandle();
    QTest::mouseClick(handle, Qt::LeftButton, {}, part(QStyle::SC_ScrollBarAddPage));
    QVERIFY2(bar->value() > 1 && canvasAt() < start, "the groove scrolls the canvas on");
    // The slider, taken and pushed back past the top (or left) end: one arrow step on is 21.
    const QPoint slider = part(QStyle::SC_ScrollBarSlider);
    const QPoint end = vertical ? QPoint(slider.x(), 0) : QPoint(0, slider.y());
    QTest::mousePress(handle, Qt::LeftButton, {}, slider);
    QTest::mouseMove(handle, end);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, end);
    QTest::mouseClick(handle, Qt::LeftButton, {}, part(QStyle::SC_ScrollBarAddLine));
    QCOMPARE(bar->value(), 21);
    QTest::mouseClick(handle, Qt::LeftButton, {}, part(QStyle::SC_ScrollBarSubLine));
    QCOMPARE(QString("%1 %2").arg(bar->value()).arg(canvasAt()), QString("1 %1").arg(start));
  }

  // An editable list takes exactly what is typed into it (focused, as a user
  // types): its entries are offered, never filled in, and the next drawing
  // reads what was typed.
  void typedNumbersStayAsTyped_data() {
    QTest::addColumn<bool>("width");  // the line width, or else the font size
    QTest::addColumn<QString>("typed");
    QTest::newRow("size 3, not 32") << false << "3";
    QTest::newRow("size 1, not 12") << false << "1";
    QTest::newRow("line width 3") << true << "3";
  }
  void typedNumbersStayAsTyped() {
    QFETCH(bool, width);
    QFETCH(QString, typed);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QComboBox* box = width ? form_->Combo1 : form_->cbofontsize;
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), box);  // the box passes its keys on to its text
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    type(form_->Text7, "a");
    click(width ? "Command2" : "Command9");
    QCOMPARE(width ? form_->Picture1->DrawWidth() : form_->Picture1->font().pointSizeF(),
             typed.toDouble());
  }

  void drawsTheTable() {
    click("Command2");
    QCOMPARE(runs(canvas(), 20, true, kRuleColour), "0+2 133+2 266+2 400+2 533+2 666+2");
    QCOMPARE(runs(canvas(), 134, false, kRuleColour), "0+402");  // a vertical rule, end to end
    QCOMPARE(editor(), "70 70 1920 520");
    // The arrow buttons step it a column right, a row down, then back left and up.
    QStringList steps;
    for (const char* arrow : {"Command5", "Command6", "Command7", "Command8"})
      steps << (click(arrow), editor());  // where each click leaves it
    QCOMPARE(steps.join(','), "2070 70 1920 520,2070 670 1920 520,70 670 1920 520,70 70 1920 520");
    // The drawing is filed in slot 0, whose thumbnail shows every rule (a
    // 2-pixel rule stays a line at a ninth of its size).
    const QImage thumbnail = form_->Image1[0]->grab(form_->Image1[0]->contentsRect()).toImage();
    QCOMPARE(runs(thumbnail, 3, true, kDark).count('+'), 6);
    QCOMPARE(runs(thumbnail, 7, false, kDark).count('+'), 11);
    // A new line colour redraws every rule over the old ones.
    dialogs_->answerColour(QColor(0, 255, 0));
    click("Label1 Command2");
    QCOMPARE(runs(canvas(), 20, true, 0xFF00FF00), "0+2 133+2 266+2 400+2 533+2 666+2");
    // No columns and a width below 1 or no number: the rows, still
    // 2 pixels wide, and each drawing filed all the same.
    type(form_->Text3, "0");
    for (const char* width : {"0", "abc"}) {
      click("Command3");
      type(form_->Combo1->lineEdit(), width);
      click("Command2");
      QCOMPARE(runs(canvas(), 20, true, 0xFF00FF00), "");
      QCOMPARE(runs(canvas(), 300, false, 0xFF00FF00), kRows);
    }
    // Twelve slots: the thirteenth drawing goes to slot 0 again.
    for (int more = 4; more < 13; ++more) click("Command2");
    QCOMPARE(form_->snapshotCounter(), 1);
  }

  // Twelve presses write down the first column and back up. A size typed after the
  // first that the canvas cannot take is a failing statement, skipped: the
  // text goes out at the size in force and the editor moves on.
  void fillsAColumn_data() {
    QTest::addColumn<QString>("size");
    QTest::newRow("at 20 points") << "20";
    QTest::newRow("just beyond the largest, 2160") << "2161";
    QTest::newRow("not a number") << "abc";
    QTest::newRow("0") << "0";
  }
  void fillsAColumn() {
    QFETCH(QString, size);
    click("Command2");
    type(form_->Text7, "  a  ");
    QStringList tops;
    for (int press = 0; press < 12; ++press) {
      const QRect cell(5, qRound(form_->Text7->box().top / 15), 4, 35);
      click("Command9");
      if (press == 0) type(form_->cbofontsize->lineEdit(), size);
      // At the editor's left edge: the blanks before the letter are gone.
      QVERIFY2(inkedNear(canvas(), cell, kBlue), qPrintable(QString("cell %1").arg(press)));
      tops << QString::number(form_->Text7->box().top);
    }
    QCOMPARE(tops.join(' '), "670 1270 1870 2470 3070 3670 4270 4870 5470 6070 5480 6080");
    QCOMPARE(form_->Picture1->font().family(), "font64");  // the font chosen at start, entry 32
    const QImage image = canvas();  // the cells' tops: 70 and 670 twips, 40 pixels apart
    QVERIFY2(image.copy(0, 40, 130, 40) == image.copy(0, 0, 130, 40), "the same letter below");
    QVERIFY2(dialogs_->messages().isEmpty(), "no message");
  }

  // Blanks only, which is nothing once they are trimmed.
  void textThatWritesNothing() {
    type(form_->Text7, "   ");
    const QImage before = canvas();
    click("Command9 Option1(1)");
    clickCanvas({300, 200});
    QVERIFY2(imageDifference(canvas(), before).isEmpty(), "nothing written");
    QCOMPARE(editor(), "70 70 1920 520");
    QCOMPARE(dialogs_->messages().size(), 2);  // one from the button, one from the canvas
    for (const MessageRequest& m : dialogs_->messages())
      QCOMPARE(m.title + ": " + m.text, "Error now Text entered: Please enter in some text first");
  }

  // Lines pasted into the one-line editor, which shows them as one, go into the
  // cell as that one line: the cell holds what typing the shown text writes.
  void pastedLinesAreWrittenAsShown() {
    QImage written[2];
    for (int pasted : {0, 1}) {
      open();
      QApplication::clipboard()->setText("AB\r\nCD\nEF");
      form_->Text7->setFocus();
      pasted ? QTest::keyClick(form_->Text7, Qt::Key_V, Qt::ControlModifier)
             : type(form_->Text7, "AB CD EF");
      QCOMPARE(form_->Text7->displayText(), "AB CD EF");
      click("Command9");
      written[pasted] = canvas();
    }
    QVERIFY(imageDifference(written[1], written[0]).isEmpty());
  }

  void stylesAndPasteModes() {
    QComboBox* styles = form_->cbofontstyle;
    QTest::mousePress(styles, Qt::LeftButton);  // opens the list; a click in it picks
    QAbstractItemView* view = styles->view();
    QTRY_VERIFY(view->isVisible());
    const QPoint item =
        view->visualRect(styles->model()->index(styles->findText("Underline"), 0)).center();
    QTest::mouseMove(view->viewport(), item);  // to the entry, as the pointer goes
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item);
    QTRY_COMPARE(styles->currentText(), "Underline");
    const QFont f = form_->Picture1->font();  // underlined only; the editor keeps its own font
    QVERIFY(f.underline() && !f.bold() && !f.italic() && !form_->Text7->font().underline());
    type(form_->Text7, "x");
    click("Option4");
    QVERIFY2(form_->Text7->isHidden() && form_->Picture2->isHidden(), "editor and preview off");
    clickCanvas({300, 200});
    QVERIFY2(!inkedNear(canvas(), {300, 200, 30, 40}, kBlue), "clicks do nothing");
    click("Option1(1)");
    QVERIFY2(form_->Text7->isVisible() && form_->Picture2->isVisible(), "editor and preview on");
    clickCanvas({300, 200});
    QVERIFY2(inkedNear(canvas(), {300, 200, 30, 40}, kBlue), "text at the pointer");
    QVERIFY2(!inkedNear(canvas(), {290, 190, 10, 50}, kBlue), "its top-left at the pointer");
    // The style box's drop button let go when its list closed, as a paint would draw it.
    QCOMPARE(imageDifference(onScreen(styles), styles->grab().toImage()), QString());
  }

  void stampsTheTexture_data() {
    QTest::addColumn<QPoint>("drag");  // none: the mask stays at its start value
    QTest::newRow("mask picked from the corner") << QPoint(30, 20);
    QTest::newRow("mask at its start value") << QPoint();
    QTest::newRow("dragged out and let go far outside") << QPoint(3000, 2000);
  }
  void stampsTheTexture() {
    QFETCH(QPoint, drag);
    const bool pickMask = !drag.isNull();
    click("Option1(0)");
    PictureBox* preview = form_->Picture2;
    const QPoint corner = preview->contentsRect().topLeft(), start = preview->pos();
    if (pickMask) {  // the press drags the preview until the button goes up
      QCursor::setPos(preview->mapToGlobal(corner));
      // Tied to the preview and holding copies: harmless should the press not wait for it.
      QTimer::singleShot(0, preview, [=] {
        QTest::mouseMove(preview, corner + drag);
        QTest::mouseRelease(preview, Qt::LeftButton, {}, corner + drag);
      });
      QTest::mousePress(preview, Qt::LeftButton, {}, corner);
      // Wherever it was let go, the point it was taken by is in the window,
      // on top, to be taken again.
      QCOMPARE(form_->childAt(preview->mapTo(form_.get(), corner)), preview);
      if (form_->rect().contains(start + corner + drag)) QCOMPARE(preview->pos(), start + drag);
    }
    // The mask colour shows in which pixels are left out, over the hatch.
    const QImage texture(":/assets/gridorm/texture.png");
    click("Command1");
    QImage expected = canvas();
    clickCanvas({50, 60});
    for (int y = 0; y < texture.height(); ++y)
      for (int x = 0; x < texture.width(); ++x)
        if (!pickMask || texture.pixel(x, y) != texture.pixel(0, 0))
          expected.setPixel(50 + x, 60 + y, texture.pixel(x, y));
    QCOMPARE(canvas(), expected);
  }

  // The file dialogs. An import takes a picture as the texture and otherwise
  // keeps the old one, saying nothing; a save writes bitmap data whatever the
  // name, or says that it could not.
  // clang-format off
  void files_data() {
    QTest::addColumn<FileRow>("row");
    const QString before = "broken.bmp pattern.png";
    QTest::newRow("cancel keeps it") << FileRow{false, "-", "186x124 [] " + before};
    QTest::newRow("empty name keeps it") << FileRow{false, "", "186x124 [] " + before};
    QTest::newRow("not a picture keeps it") << FileRow{false, "broken.bmp", "186x124 [] " + before};
    QTest::newRow("a picture") << FileRow{false, "pattern.png", "30x20 [] " + before};
    QTest::newRow("a pipe is refused in words") << FileRow{false, "pipe", "186x124 [Gridorm2.0] " + before};
    QTest::newRow("bmp data whatever the name") << FileRow{true, "table.jpg", "186x124 [] " + before + " table.jpg"};
    QTest::newRow("cancel") << FileRow{true, "-", "186x124 [] " + before};
    QTest::newRow("a folder that is not there") << FileRow{true, "missing/table.bmp", "186x124 [错误] " + before};
  }
  // clang-format on
  void files() {
    QFETCH(FileRow, row);
    const auto& [save, answer, outcome] = row;
    QVERIFY(patternImage(30, 20).save(dir_->filePath("pattern.png")));
    QVERIFY(written(dir_->filePath("broken.bmp"), "BM, but no picture"));
    QCOMPARE(mkfifo(QFile::encodeName(dir_->filePath("pipe")).constData(), 0600), 0);
    click("Command2");
    const auto name = answer == "-" ? std::nullopt : std::optional(dir_->filePath(answer));
    save ? dialogs_->answerSave(name) : dialogs_->answerOpen(name);
    click(save ? "Command4" : "Command10");
    QStringList titles;
    for (const MessageRequest& m : dialogs_->messages()) titles << m.title;
    const QSize size = form_->Picture2->Picture().size();  // the texture's
    QCOMPARE(QString("%1x%2 [%3] ").arg(size.width()).arg(size.height()).arg(titles.join(' ')) +
                 QDir(dir_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(' '),
             outcome);
    if (!save) return;
    QCOMPARE(dialogs_->fileRequests()[0].filter, "Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
    if (!QFile::exists(dir_->filePath("table.jpg"))) return;
    QCOMPARE(imageDifference(QImage(dir_->filePath(answer), "BMP"), canvas()), QString());
    dialogs_->answerOpen(std::nullopt);  // the next import offers the bitmap filter
    click("Command10");
    QCOMPARE(dialogs_->fileRequests()[1].filter,
             pictureOpenFilter(dialogs_->fileRequests()[0].filter));
    QCOMPARE(form_->Picture2->Picture().size(), size);  // cancelled: not the saved name
  }

  void diskFaults_data() { DiskFault::addRows({"table.bmp"}); }
  // On a full or read-only disk and in a folder without permission, the older
  // file stays as it was, nothing is left beside it, and the user is told why.
  void diskFaults() {
    QFETCH(QStringList, fault);
    DiskFault disk(fault);
    MAKE_OR_SKIP(disk);
    dialogs_->answerSave(disk.file);
    click("Command4");
    QCOMPARE(dialogs_->messages().value(0).text,
             QString("无法保存 %1：%2").arg(disk.file, disk.cause()));
    QVERIFY(disk.kept());
  }

  void storesAndRestores() {
    click("Command12 Command2");
    const QImage table = canvas();
    click("Image1(3) Command3");
    QCOMPARE(form_->snapshotCounter(), 1);  // storing by hand leaves the next slot as it was
    click("Command13(3) Command13(5)");     // the stored table back; a slot never stored: nothing
    QVERIFY2(imageDifference(canvas(), table).isEmpty(), "the stored table is back");
    // The background colour keeps the restored picture, erasing what was drawn over it.
    click("Command1");
    QCOMPARE(canvas().pixel(300, 300), 0xFF0000C0u);  // the hatch covers the canvas
    dialogs_->answerColour(QColor(255, 255, 0));
    click("Command11");
    QCOMPARE(dialogs_->colourRequests()[0], QColor(0, 0, 255));  // the text colour's
    QVERIFY2(imageDifference(canvas(), table).isEmpty(), "restored picture kept, hatch erased");
    click("Command3");
    QCOMPARE(runs(canvas(), 20, true, 0xFFFFFF00), "0+947");
    click("Command14");
    QVERIFY2(form_->Frame2->isHidden(), "the panel closes");
  }

  void readoutAndGuides() {
    PictureBox* canvasBox = form_->Picture1;
    const QImage before = canvas();
    const QPoint inside = canvasBox->contentsRect().topLeft() + QPoint(100, 50);
    const auto& guides = canvasBox->overlayLines();  // as they stand, each time they are read
    QVERIFY2(!guides[0].visible && !guides[1].visible, "no guides unless asked for");
    QTest::mouseMove(canvasBox, inside);
    QTRY_COMPARE(form_->Label9->text() + form_->Label10->text(), "宽x=1500高y=750");
    click("Check1");
    QTest::mouseMove(canvasBox, inside + QPoint(1, 1));
    QTRY_COMPARE(form_->Label9->text(), "宽x=1515");
    QCOMPARE(guides[0].line, QLineF(1515, 0, 1515, 471 * 15));
    QCOMPARE(guides[1].line, QLineF(0, 765, 951 * 15, 765));
    QCOMPARE(QString::asprintf("%x %x %d", guides[0].colour, guides[1].colour,
                               guides[0].visible && guides[1].visible),
             "ff ff0000 1");
    QVERIFY2(imageDifference(canvas(), before).isEmpty(), "guides never enter the picture");
  }

  void canvasSizeAndPanning() {
    click("Image1(3) Command2");
    const QImage table = canvas();
    // A smaller picture hides the table's far part; saved, it is what is seen.
    form_->HScroll1->setValue(3000);
    form_->HScroll2->setValue(1500);
    dialogs_->answerSave(dir_->filePath("small.bmp"));
    click("Command4");
    QCOMPARE(QImage(dir_->filePath("small.bmp")).size(), QSize(196, 96));  // inside the border
    form_->HScroll1->setValue(20000);
    form_->HScroll2->setValue(7065);
    QCOMPARE(form_->Label22->text(), "20000");
    QVERIFY2(imageDifference(canvas().copy(table.rect()), table).isEmpty(), "the table is back");
    QCOMPARE(runs(canvas(), 20, true, kWhite).section(' ', -1), "668+661");  // white beyond it
    // Once cleared, or a blank picture restored, nothing hidden comes back.
    for (const char* wipe : {"Command3", "Command13(3)"}) {
      form_->HScroll1->setValue(3000);
      click(wipe);
      form_->HScroll1->setValue(14265);
      QCOMPARE(runs(canvas(), 20, true, kWhite), "0+947");
      click("Command2");
    }
    form_->HScroll->setValue(1001);
    QCOMPARE(form_->Picture1->pos(), QPoint(-63, 103));  // 60 - 1001 twips
  }
};

QTEST_MAIN(TstTableDesigner)

#include "tst_table_designer.moc"
