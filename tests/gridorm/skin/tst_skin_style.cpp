#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyleOption>
#include <QTableWidget>
#include <QTextEdit>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "gridorm/skin/button_face.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_palette.h"
#include "gridorm/skin/skinner.h"

namespace {

enum Kind { Check, Option, ListCombo, EditableCombo, Header };
const char* const kKinds[] = {"check", "option", "list", "editable", "header"};

QRgb rgb(ColourRef c) { return colour::toPixel(c); }

QImage painted(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

// The style paints every control family in every state from the skin; the
// states are set as the engine keeps them and painted through the style.
class TstSkinStyle : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> form_;
  QWidget* controls_[5] = {};

  template <typename W>
  W* add(W* w, QRect geometry) {
    w->setParent(form_.get());
    w->setGeometry(geometry);
    return w;
  }

 private slots:
  void init() {
    form_ = std::make_unique<QWidget>();
    form_->resize(400, 300);
    controls_[Check] = add(new QCheckBox("表格线"), {10, 10, 100, 22});
    controls_[Option] = add(new QRadioButton("居中"), {10, 40, 100, 22});
    controls_[ListCombo] = add(new QComboBox, {130, 10, 110, 24});
    auto* editable = add(new QComboBox, {130, 40, 110, 24});
    editable->setEditable(true);
    controls_[EditableCombo] = editable;
    controls_[Header] = add(new QTableWidget(2, 2), {10, 80, 250, 100})->horizontalHeader();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCOMPARE(SkinWindow(form_.get()), 1);
  }

  void cleanup() {
    form_.reset();
    QCOMPARE(SkinAttachedCount(), 0);
  }

  void sweep_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("mark");  // 1 checked, 2 partly (check boxes only)
    for (int kind = Check; kind <= Header; ++kind)
      for (int state = 0; state < 4; ++state)
        for (bool enabled : {true, false})
          for (int mark = 0; mark < (kind == Check ? 3 : kind == Option ? 2 : 1); ++mark)
            QTest::addRow("%s state %d %s mark %d", kKinds[kind], state,
                          enabled ? "enabled" : "disabled", mark)
                << kind << state << enabled << mark;
  }
  void sweep() {
    QFETCH(int, kind);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(int, mark);
    QWidget* w = controls_[kind];
    w->setEnabled(enabled);
    w->setProperty("OLDSTATE", state);
    w->setProperty("HDINDEX", state == skin::kPressed ? 1 : -1);  // headers: item 1 pressed or hot
    w->setProperty("HMINDEX", state == skin::kHot ? 1 : -1);
    QImage image(w->size(), QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    QPainter painter(&image);
    QStyle* style = w->style();
    const auto frame = [&](QPoint at) { return image.pixel(at); };
    const QRgb line = rgb(enabled ? skin::kFrameEnabled : skin::kFrameDisabled);
    const SkinBitmaps& skin = *SkinSurfaces();
    if (kind == Check || kind == Option) {
      QStyleOptionButton option;
      option.initFrom(w);
      option.state |= mark == 1   ? QStyle::State_On
                      : mark == 2 ? QStyle::State_NoChange
                                  : QStyle::State_Off;
      style->drawControl(kind == Check ? QStyle::CE_CheckBox : QStyle::CE_RadioButton, &option,
                         &painter, w);
      painter.end();
      const QRect box = style->subElementRect(
          kind == Check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option,
          w);
      const QRgb middle = frame(box.center() + QPoint(1, 1));
      if (kind == Check) {
        const bool pressed = enabled && state == skin::kPressed;
        QCOMPARE(frame(box.topLeft()), pressed ? rgb(skin::kCheckFramePressed) : line);
        // Hot and pressed boxes are filled from the option box's middle rows.
        QList<QRgb> fill{rgb(skin::kWhite)};
        if (enabled && (state == skin::kHot || pressed)) {
          const skin::Cell strip = pressed ? skin::kCheckPressedStrip : skin::kCheckHotStrip;
          fill.clear();
          for (int y = 0; y < strip.height; ++y) fill << skin.BoxSkin.pixel(strip.x, strip.y + y);
        }
        QVERIFY(fill.contains(frame({box.left() + 1, box.center().y()})));
        const skin::Cell cell = mark == 1
                                    ? (enabled ? skin::kCheckEnabled : skin::kCheckDisabled)
                                    : (enabled ? skin::kSquareEnabled : skin::kSquareDisabled);
        if (mark != 0) QCOMPARE(middle, skin.MarkSkin.pixel(cell.x + 5, cell.y + 3 + (mark == 1)));
      } else {
        QCOMPARE(frame(box.topLeft()), qRgb(128, 128, 128));  // the key colour lets the window show
        const skin::Cell cell = skin::boxCell(enabled ? state : skin::kDisabled);
        const skin::Cell dot = enabled ? skin::kDotEnabled : skin::kDotDisabled;
        QCOMPARE(middle, mark ? skin.MarkSkin.pixel(dot.x + 3, dot.y + 3)
                              : skin.BoxSkin.pixel(cell.x + 6, cell.y + 6));
      }
    } else if (kind == Header) {
      QStyleOptionHeader option;
      option.initFrom(w);
      option.section = 1;
      option.rect = QRect(0, 0, 80, w->height());
      style->drawControl(QStyle::CE_Header, &option, &painter, w);
      painter.end();
      QCOMPARE(frame({1, 1}), skin.HeaderSkin.pixel(
                                  skin::headerCell(state == skin::kDisabled ? 0 : state).x + 1, 1));
    } else {
      QStyleOptionComboBox option;
      option.initFrom(w);
      option.editable = kind == EditableCombo;
      style->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, w);
      painter.end();
      QCOMPARE(frame({0, 0}), line);
      const int button = style->pixelMetric(QStyle::PM_ScrollBarExtent, &option, w) + 1;
      const QRgb left = frame({w->width() - button - 1, w->height() / 2});
      QCOMPARE(left, state == skin::kNormal || state == skin::kDisabled
                         ? rgb(skin::kWhite)
                         : skin.ComboSkin.pixel(state == skin::kHot ? 0 : 4, 8));
    }
  }

  void progressFillsItsShareOfItsRange_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<double>("share");
    QTest::newRow("Qt's 0-100 at 42") << 0 << 100 << 42 << false << 0.42;
    QTest::newRow("15000 of 30000") << 0 << 30000 << 15000 << false << 0.5;
    QTest::newRow("empty") << 0 << 100 << 0 << false << 0.0;
    QTest::newRow("full, vertical") << 0 << 100 << 100 << true << 1.0;
    QTest::newRow("from -50 to 50 at 0, vertical") << -50 << 50 << 0 << true << 0.5;
    QTest::newRow("busy (no range)") << 0 << 0 << 0 << false << 0.0;
  }
  void progressFillsItsShareOfItsRange() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(bool, vertical);
    QFETCH(double, share);
    auto* bar = add(new QProgressBar, {300, 10, vertical ? 24 : 90, vertical ? 90 : 24});
    bar->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    bar->setTextVisible(false);
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    bar->show();
    QVERIFY2(bar->property("PROCADDR").isValid(), "a bar added to a skinned form is skinned");
    const QImage image = painted(bar);
    QCOMPARE(image.pixel(0, 0), rgb(skin::kFrameEnabled));
    const int inner = (vertical ? bar->height() : bar->width()) - 2;
    int filled = 0;
    for (int i = 1; i <= inner; ++i)
      filled += image.pixel(vertical ? bar->width() / 2 : i, vertical ? i : bar->height() / 2) ==
                rgb(skin::kProgressFill);
    QCOMPARE(filled, qRound(inner * share));
    const QPoint start = vertical ? QPoint(bar->width() / 2, inner) : QPoint(1, bar->height() / 2);
    QCOMPARE(image.pixel(start), rgb(share > 0 ? skin::kProgressFill : skin::kWhite));
  }

  void sunkenEdgesGoFlat_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("enabled");
    for (int which = 0; which < 3; ++which)
      for (bool enabled : {true, false})
        QTest::addRow("%s %s", std::array{"picture box", "text edit", "line edit"}[which],
                      enabled ? "enabled" : "disabled")
            << which << enabled;
  }
  void sunkenEdgesGoFlat() {
    QFETCH(int, which);
    QFETCH(bool, enabled);
    auto* box = new PictureBox;
    box->setBackColor(0x0000FF00);
    QWidget* w = which == 0   ? static_cast<QWidget*>(box)
                 : which == 1 ? static_cast<QWidget*>(new QTextEdit)
                              : static_cast<QWidget*>(new QLineEdit);
    if (which != 0) delete box;
    add(w, {270, 60, 100, which == 2 ? 24 : 80})->setEnabled(enabled);
    w->show();
    const QImage image = painted(w);
    QCOMPARE(image.pixel(0, 0), rgb(enabled ? skin::kFrameEnabled : skin::kFrameDisabled));
    // The rest of the border takes the colour behind the contents.
    const QWidget* client = which == 1 ? static_cast<QTextEdit*>(w)->viewport() : w;
    QCOMPARE(QColor(image.pixel(1, w->height() / 2)),
             which == 0
                 ? w->palette().color(QPalette::Window)
                 : client->palette().color(which == 2 ? QPalette::Base : client->backgroundRole()));
  }

  void faceButtonsAreReached() {
    auto* button = add(new FaceButton("颜色"), {270, 200, 90, 28});
    button->setBackColor(0x000000FF);  // a red face, which the skin paints over
    button->show();
    QCoreApplication::processEvents();
    const QRect inner = button->rect().adjusted(1, 1, -1, -1);
    const QImage normal = skin::ButtonStateImage(*SkinSurfaces(), skin::lookOf(*button), 0);
    QCOMPARE(painted(button).copy(inner), normal.copy(inner));
  }
};

QTEST_MAIN(TstSkinStyle)

#include "tst_skin_style.moc"
