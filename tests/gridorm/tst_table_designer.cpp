#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include "common/colour_swatch.h"
#include "common/font_list.h"
#include "common/picture_box.h"
#include "gridorm/cell_editor.h"
#include "gridorm/image_control.h"
#include "gridorm/table_designer.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// Screen fonts named by their index in the system's list.
struct NumberedFonts : FontCatalogue {
  explicit NumberedFonts(int count) : count(count) {}
  QStringList families() const override {
    QStringList names;
    for (int i = 0; i < count; ++i) names << QString("font%1").arg(i);
    return names;
  }
  int count;
};

// The rows of the opening table down a column of the canvas, in pixels.
const QString kRows = "0+2 40+2 80+2 120+2 160+2 200+2 240+2 280+2 320+2 360+2 400+2";
constexpr QRgb kWhite = 0xFFFFFFFF, kRuleColour = 0xFFB13081, kBlue = 0xFF0000FF;

// Where runs of `ink` start along a row (or a column) of the canvas, with their widths.
QString runs(const QImage& image, int index, bool row, QRgb ink) {
  QStringList found;
  const int length = row ? image.width() : image.height();
  for (int i = 0, start = -1; i <= length; ++i) {
    const bool inked = i < length && (row ? image.pixel(i, index) : image.pixel(index, i)) == ink;
    if (inked && start < 0) start = i;
    if (!inked && start >= 0) found << QString("%1+%2").arg(start).arg(i - start), start = -1;
  }
  return found.join(' ');
}

bool inkedNear(const QImage& image, QRect area, QRgb ink) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.valid(x, y) && image.pixel(x, y) == ink) return true;
  return false;
}

}  // namespace

class TstTableDesigner : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<Form1> form_;
  std::unique_ptr<QTemporaryDir> dir_;

  void open(int fonts = 70) {
    const NumberedFonts catalogue(fonts);
    form_ = std::make_unique<Form1>(&catalogue);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void click(const QString& name) {
    auto* control = form_->findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QTest::mouseClick(control, Qt::LeftButton);
  }
  static void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  void choose(QComboBox* list, const QString& entry) {
    QTest::mousePress(list, Qt::LeftButton);  // opens the list; a click in it picks
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(list->model()->index(list->findText(entry), 0));
    QTest::mouseMove(view->viewport(), item.center());  // to the entry, as the pointer goes
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_COMPARE(list->currentText(), entry);
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
    dialogs_ = std::make_unique<ScriptedDialogs>();
    dir_ = std::make_unique<QTemporaryDir>();
    open();
  }
  void cleanup() {
    QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
    QCOMPARE(dialogs_->unusedAnswers(), 0);
    form_.reset();
    dialogs_.reset();
  }

  void opens() {
    Form1& f = *form_;
    // clang-format off
    const auto at = [](QWidget* w) {
      return QString("%1,%2 %3x%4%5").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height())
          .arg(w->isVisible() ? "" : " hidden");
    };
    const auto hex = [](ColourRef c) { return QString::number(c, 16); };
    const QStringList state = {
        f.windowTitle(), f.palette().window().color().name(), at(&f), at(f.Frame1),
        f.Frame1->palette().window().color().name(), at(f.Picture1), at(f.HScroll), at(f.VScroll),
        at(f.Command1), f.Label22->text(), f.Label23->text(), f.cbofontsize->currentText(),
        f.cbofontsize->itemText(16), f.cbofontstyle->currentText(), f.Picture1->font().bold() ? "bold" : "",
        f.Combo1->currentText(), f.Combo1->itemText(11), editor(), at(f.Text7), at(f.Picture2),
        at(f.Frame2), hex(f.Label1->BackColor()), hex(f.Label4->BackColor()), hex(f.Label24->BackColor())};
    QCOMPARE(state.join(" | "),
        "Gridorm2.0 | #004040 | 0,0 976x624 | 0,0 984x99 | #7cbcf5 | 4,103 951x471 | 0,610 957x14 "
        "| 962,0 14x605 | 956,604 21x21 | 14265 | 7065 | 20 | 72 | Bold | bold | 2 | 12 "
        "| 70 70 1920 520 | 7,7 128x35 | 744,30 190x128 hidden | 715,100 229x495 hidden | 8130b1 "
        "| ff0000 | 80000009");
    // clang-format on
    QStringList names;  // each control found by its own name
    for (const QWidget* w : f.findChildren<QWidget*>(QRegularExpression("^[A-Zct]")))
      names << w->objectName();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
  }

  void fontLists_data() {
    QTest::addColumn<int>("screenFonts");
    QTest::addColumn<int>("listed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("entry 32") << 70 << 35 << "font64";
    QTest::newRow("fewer than 33: the first") << 10 << 5 << "font0";
    QTest::newRow("no fonts") << 0 << 0 << "";
  }
  void fontLists() {
    QFETCH(int, screenFonts);
    open(screenFonts);
    QTEST(form_->cbofont->count(), "listed");
    QTEST(form_->cbofont->currentText(), "selected");
  }

  void drawsTheTable() {
    click("Command2");
    const QImage image = canvas();
    QCOMPARE(runs(image, 20, true, kRuleColour), "0+2 133+2 266+2 400+2 533+2 666+2");
    QCOMPARE(runs(image, 300, false, kRuleColour), kRows);
    QCOMPARE(runs(image, 134, false, kRuleColour), "0+402");  // a vertical rule, end to end
    QCOMPARE(editor(), "70 70 1920 520");
    QVERIFY2(!form_->Image1[0]->pixmap().isNull(), "the drawing is filed in slot 0");
    // A new line colour redraws every rule over the old ones.
    dialogs_->answerColour(QColor(0, 255, 0));
    click("Label1");
    click("Command2");
    QCOMPARE(runs(canvas(), 20, true, 0xFF00FF00), "0+2 133+2 266+2 400+2 533+2 666+2");
    // No columns and a width that is no number: the rows, still 2 pixels
    // wide, and the drawing filed all the same.
    click("Command3");
    type(form_->Text3, "0");
    type(form_->Combo1->lineEdit(), "abc");
    click("Command2");
    QCOMPARE(runs(canvas(), 20, true, 0xFF00FF00), "");
    QCOMPARE(runs(canvas(), 300, false, 0xFF00FF00), kRows);
    QCOMPARE(form_->snapshotCounter(), 3);
  }

  void fillsAColumn() {
    click("Command2");
    type(form_->Text7, "  a  ");
    QStringList tops;
    for (int press = 0; press < 11; ++press) {
      const QRect cell(5, qRound(form_->Text7->box().top / 15), 4, 35);
      click("Command9");
      // At the editor's left edge: the blanks before the letter are gone.
      QVERIFY2(inkedNear(canvas(), cell, kBlue), qPrintable(QString("cell %1").arg(press)));
      tops << QString::number(form_->Text7->box().top);
    }
    QCOMPARE(tops.join(' '), "670 1270 1870 2470 3070 3670 4270 4870 5470 6070 5480");
    QVERIFY2(dialogs_->messages().isEmpty(), "no message");
  }

  // clang-format off
  void textThatWritesNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("messages");  // one from the button, one from the canvas
    QTest::newRow("blanks only") << "   " << "20" << 2;
    QTest::newRow("size not a number") << "a" << "abc" << 0;
    QTest::newRow("size 0") << "a" << "0" << 0;
  }
  // clang-format on
  void textThatWritesNothing() {
    QFETCH(QString, text);
    QFETCH(QString, size);
    type(form_->Text7, text);
    type(form_->cbofontsize->lineEdit(), size);
    const QImage before = canvas();
    click("Command9");
    click("Option1(1)");
    clickCanvas({300, 200});
    QVERIFY2(imageDifference(canvas(), before).isEmpty(), "nothing written");
    QCOMPARE(editor(), "70 70 1920 520");
    QTEST(int(dialogs_->messages().size()), "messages");
    for (const MessageRequest& m : dialogs_->messages())
      QCOMPARE(m.title + ": " + m.text, "Error now Text entered: Please enter in some text first");
  }

  void stylesAndPasteModes() {
    choose(form_->cbofontstyle, "Underline");
    const QFont font = form_->Picture1->font();
    QCOMPARE(QString("bold %1 underline %2").arg(font.bold()).arg(font.underline()),
             "bold 0 underline 1");
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
  }

  void stampsTheTexture_data() {
    QTest::addColumn<bool>("pickMask");
    QTest::newRow("mask picked from the corner") << true;
    QTest::newRow("mask at its start value") << false;
  }
  void stampsTheTexture() {
    QFETCH(bool, pickMask);
    click("Option1(0)");
    PictureBox* preview = form_->Picture2;
    const QPoint corner = preview->contentsRect().topLeft(), start = preview->pos();
    if (pickMask) {  // the press drags the preview until the button goes up
      QCursor::setPos(preview->mapToGlobal(corner));
      QTimer::singleShot(0, this, [&] {
        QTest::mouseMove(preview, corner + QPoint(30, 20));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, corner + QPoint(30, 20));
      });
      QTest::mousePress(preview, Qt::LeftButton, {}, corner);
      QCOMPARE(preview->pos(), start + QPoint(30, 20));
    }
    const QImage texture(":/assets/gridorm/texture.png");
    const ColourRef mask = colour::fromPixel(texture.pixel(0, 0));
    QCOMPARE(form_->Label24->BackColor(), pickMask ? mask : colour::kCaptionText);
    clickCanvas({50, 60});
    QImage expected = canvas();
    for (int y = 0; y < texture.height(); ++y)
      for (int x = 0; x < texture.width(); ++x)
        if (!pickMask || texture.pixel(x, y) != texture.pixel(0, 0))
          expected.setPixel(50 + x, 60 + y, texture.pixel(x, y));
    QVERIFY2(imageDifference(canvas(), expected).isEmpty(),
             qPrintable(imageDifference(canvas(), expected)));
  }

  void importsTextures_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QSize>("texture");
    QTest::newRow("cancel keeps it") << "-" << QSize(186, 124);
    QTest::newRow("empty name keeps it") << "" << QSize(186, 124);
    QTest::newRow("not a picture keeps it") << "broken.bmp" << QSize(186, 124);
    QTest::newRow("a picture") << "pattern.png" << QSize(30, 20);
  }
  void importsTextures() {
    QFETCH(QString, answer);
    QVERIFY(patternImage(30, 20).save(dir_->filePath("pattern.png")));
    QFile broken(dir_->filePath("broken.bmp"));
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("BM, but no picture") > 0);
    broken.close();
    dialogs_->answerOpen(answer == "-"  ? std::nullopt
                         : answer == "" ? std::optional(QString())
                                        : std::optional(dir_->filePath(answer)));
    click("Command10");
    QTEST(form_->Picture2->Picture().size(), "texture");
    QVERIFY2(dialogs_->messages().isEmpty(), "nothing reported");
  }

  void saves_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("bmp data whatever the name") << "table.jpg" << true;
    QTest::newRow("cancel") << "-" << false;
    QTest::newRow("a folder that is not there") << "missing/table.bmp" << false;
    QTest::newRow("over a folder") << "folder" << false;
  }
  void saves() {
    QFETCH(QString, answer);
    QFETCH(bool, written);
    QVERIFY(QDir(dir_->path()).mkpath("folder"));
    click("Command2");
    dialogs_->answerSave(answer == "-" ? std::nullopt : std::optional(dir_->filePath(answer)));
    click("Command4");
    QCOMPARE(dialogs_->fileRequests()[0].filter, "Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*");
    const bool failed = answer != "-" && !written;
    QCOMPARE(dialogs_->messages().size(), failed ? 1 : 0);
    if (failed) QCOMPARE(dialogs_->messages()[0].title, "错误");
    QCOMPARE(QDir(dir_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(' '),
             written ? "folder table.jpg" : "folder");
    if (!written) return;
    const QString difference = imageDifference(QImage(dir_->filePath(answer), "BMP"), canvas());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    dialogs_->answerOpen(std::nullopt);  // the next import offers the bitmap filter
    click("Command10");
    QCOMPARE(dialogs_->fileRequests()[1].filter, dialogs_->fileRequests()[0].filter);
  }

  void storesAndRestores() {
    click("Command12");
    QCOMPARE(QString("%1 %2").arg(form_->Frame2->isVisible()).arg(form_->Frame2->x()),
             "1 715");  // (14640 + 120 - 3435 - 600) / 15
    click("Command2");
    const QImage table = canvas();
    click("Image1(3)");
    click("Command3");
    QCOMPARE(runs(canvas(), 20, true, kWhite), "0+947");
    click("Command13(3)");
    QVERIFY2(imageDifference(canvas(), table).isEmpty(), "the stored table is back");
    click("Command13(5)");
    QVERIFY2(imageDifference(canvas(), table).isEmpty(), "a slot never stored changes nothing");
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
    QTest::mouseMove(canvasBox, inside);
    QTRY_COMPARE(form_->Label9->text() + form_->Label10->text(), "宽x=1500高y=750");
    QVERIFY2(!canvasBox->overlayLines()[0].visible, "no guides unless asked for");
    click("Check1");
    QTest::mouseMove(canvasBox, inside + QPoint(1, 1));
    QTRY_COMPARE(form_->Label9->text(), "宽x=1515");
    const auto& guides = canvasBox->overlayLines();
    QCOMPARE(guides[0].line, QLineF(1515, 0, 1515, 471 * 15));
    QCOMPARE(guides[1].line, QLineF(0, 765, 951 * 15, 765));
    QCOMPARE(QString("%1 %2 %3")
                 .arg(guides[0].colour, 0, 16)
                 .arg(guides[1].colour, 0, 16)
                 .arg(guides[0].visible && guides[1].visible),
             "ff ff0000 1");
    QVERIFY2(imageDifference(canvas(), before).isEmpty(), "guides never enter the picture");
  }

  void canvasSizeAndPanning() {
    form_->HScroll1->setValue(20000);
    QCOMPARE(QString("%1 %2").arg(form_->Picture1->width()).arg(form_->Label22->text()),
             "1333 20000");
    form_->HScroll->setValue(1001);
    QCOMPARE(form_->Picture1->pos(), QPoint(-63, 103));  // 60 - 1001 twips
  }
};

QTEST_MAIN(TstTableDesigner)

#include "tst_table_designer.moc"
