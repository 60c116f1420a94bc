#include <QtTest>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableWidget>

#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_palette.h"
#include "gridorm/skin/skinner.h"

namespace {

// Everything attaching may change on a widget and detaching must give back.
QString stateOf(const QWidget* w) {
  QStringList properties;
  for (const QByteArray& name : w->dynamicPropertyNames())
    properties << name + "=" + w->property(name).toString();
  return QString("style=%1 own=%2 mask=%3 tracking=%4 hover=%5 %6")
      .arg(quintptr(w->style()))
      .arg(w->testAttribute(Qt::WA_SetStyle))
      .arg(w->mask().rectCount())
      .arg(w->hasMouseTracking())
      .arg(w->testAttribute(Qt::WA_Hover))
      .arg(properties.join(' '));
}

// The window's controls: its descendants that are not windows of their own.
QList<QWidget*> controlsOf(const QWidget* window) {
  QList<QWidget*> controls = window->findChildren<QWidget*>();
  controls.removeIf([window](const QWidget* w) { return w->window() != window; });
  return controls;
}

bool allAttached(const QWidget* window) {
  const QList<QWidget*> controls = controlsOf(window);
  return window->property("PROCADDR").isValid() &&
         std::all_of(controls.begin(), controls.end(),
                     [](const QWidget* w) { return w->property("PROCADDR").isValid(); });
}

}  // namespace

class TstSkinner : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> form_;
  QStyle* fusion_ = nullptr;

 private slots:
  void init() {
    form_ = std::make_unique<QWidget>();
    form_->resize(300, 200);
    auto* own = new QPushButton("own style", form_.get());
    own->setStyle(fusion_ = QStyleFactory::create("Fusion"));
    fusion_->setParent(form_.get());
    auto* check = new QCheckBox("kept", form_.get());
    check->setProperty("OLDSTATE", "the application's own");
    check->move(0, 40);
    auto* shaped = new QWidget(form_.get());
    shaped->setMask(QRegion(0, 0, 5, 5, QRegion::Ellipse));
    shaped->setMouseTracking(true);
    (new QComboBox(form_.get()))->move(0, 80);
    (new QTableWidget(2, 2, form_.get()))->move(100, 0);
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }

  void cleanup() {
    form_.reset();
    QCOMPARE(SkinAttachedCount(), 0);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a test left a window behind");
  }

  void attachingTwiceAttachesOnce() {
    QCOMPARE(SkinWindow(nullptr) + AttachSkin(nullptr) + DetachSkin(form_.get()), 0);
    QCOMPARE(SkinWindow(form_.get()), 1);
    const int count = SkinAttachedCount();
    QCOMPARE(count, 1 + controlsOf(form_.get()).size());
    QCOMPARE(SkinWindow(form_.get()) + AttachSkin(form_.get()), 0);
    QCOMPARE(SkinAttachedCount(), count);
    QVERIFY(allAttached(form_.get()));
  }

  void detachingGivesEverythingBack() {
    const QList<QWidget*> widgets = form_->findChildren<QWidget*>() << form_.get();
    QStringList before;
    for (QWidget* w : widgets) before << stateOf(w);
    QCOMPARE(SkinWindow(form_.get()), 1);
    QTest::mouseMove(widgets[0], QPoint(3, 3));  // leaves its marks in the properties
    QCOMPARE(DetachSkin(form_.get()), 1);
    QCOMPARE(DetachSkin(form_.get()), 0);
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

  void controlsAddedLaterAreSkinned() {
    SkinWindow(form_.get());
    auto* later = new QPushButton("later", form_.get());
    auto* inner = new QCheckBox("inner", new QWidget(form_.get()));
    later->show();
    inner->parentWidget()->show();
    QTRY_VERIFY(allAttached(form_.get()));
    QVERIFY2(!later->mask().contains(QPoint(0, 0)), "the new button has the rounded shape");
    QVERIFY(inner->property("OLDSTATE").isValid());
  }

  void dialogsOverASkinnedWindow_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("colour") << 0;
    QTest::newRow("open file") << 1;
    QTest::newRow("message box") << 2;
  }
  void dialogsOverASkinnedWindow() {
    QFETCH(int, kind);
    SkinWindow(form_.get());
    const int before = SkinAttachedCount();
    QDialog* dialog = nullptr;
    if (kind == 0) {
      auto* colours = new QColorDialog(Qt::blue, form_.get());
      colours->setOption(QColorDialog::DontUseNativeDialog);
      dialog = colours;
    } else if (kind == 1) {
      auto* files = new QFileDialog(form_.get());
      files->setOption(QFileDialog::DontUseNativeDialog);
      dialog = files;
    } else {
      dialog = new QMessageBox(QMessageBox::Warning, "错误", "文件无法保存",
                               QMessageBox::Ok | QMessageBox::Cancel, form_.get());
    }
    dialog->show();
    dialog->activateWindow();
    QTRY_VERIFY(allAttached(dialog));
    QCOMPARE(SkinAttachedCount(), before + controlsOf(dialog).size() + 1);
    delete dialog;
    QCOMPARE(SkinAttachedCount(), before);
  }

  void comboListSkinnedWhenShown() {
    SkinWindow(form_.get());
    auto* combo = form_->findChild<QComboBox*>();
    combo->addItems({"宋体", "黑体"});
    combo->showPopup();
    QWidget* list = combo->view()->parentWidget();
    QTRY_VERIFY(list->property("PROCADDR").isValid());
    const QImage shown = list->grab().toImage();
    for (QPoint edge : {QPoint(0, 0), QPoint(list->width() - 1, list->height() / 2)})
      QCOMPARE(shown.pixel(edge), colour::toPixel(skin::kFrameEnabled));
    combo->hidePopup();
  }

  void aWidgetWithoutProcAddrIsLeftAlone() {
    SkinWindow(form_.get());
    auto* button = form_->findChild<QPushButton*>();
    button->setProperty("PROCADDR", QVariant());
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, {}, {});
    QVERIFY(!SkinWindowProc(button, &move));
    QCOMPARE(DetachSkin(button), 0);
    QCOMPARE(button->property("MOUSEFLAG").toInt(), 0);
  }
};

QTEST_MAIN(TstSkinner)

#include "tst_skinner.moc"
