#include <QTest>
#include <QtWidgets>

#include "common/dialogs.h"
#include "common/picture_filter.h"

// What Qt's dialogs are built from: the shared dialog's filter and a message box's request.
class TstDialogs : public QObject {
  Q_OBJECT

 private slots:
  // A filter, "description|patterns|...", reaches Qt's file dialog: every filter
  // in its place, and the one the filter index names (counted from 1) chosen.
  // clang-format off
  void filters() {
    const QString bitmaps = "Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*", qtBitmaps = "Bitmap(*.bmp) (*.bmp);;All files(*.*) (*.*)";
    const std::tuple<QString, int, QString, QString> rows[] = {  // filter, index, Qt's filters, the chosen one
        {bitmaps, 1, qtBitmaps, "Bitmap(*.bmp) (*.bmp)"}, {bitmaps, 2, qtBitmaps, "All files(*.*) (*.*)"},
        {bitmaps, 0, qtBitmaps, ""}, {bitmaps, 3, qtBitmaps, ""},  // none before the first or past the last
        {"Pictures|*.jpg;*.bmp;;*.gif", 1, "Pictures (*.jpg *.bmp *.gif)", "Pictures (*.jpg *.bmp *.gif)"},  // patterns listed
        {"", 1, "", ""}};
    // clang-format on
    for (const auto& [filter, index, qtFilter, chosen] : rows) {
      QCOMPARE(toQtFilter(filter), qtFilter);
      QCOMPARE(selectedQtFilter(FileDialogRequest{{}, filter, index, {}, {}, {}, false}), chosen);
    }
  }

  // A picture open dialog offers every kind the loader opens first (the
  // familiar ones, PNG, and whatever Qt reads here), then the entries it was
  // given in their order, and all files last; once is enough.
  // clang-format off
  void pictureFilters() {
    const QString all = "*." + pictureSuffixes().join(";*."), pictures = "所支持的图片|" + all, bitmaps = "Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*";
    for (const QByteArray& kind : QImageReader::supportedImageFormats()) QVERIFY((all + ';').contains("*." + kind + ';'));
    const std::pair<QString, QString> rows[] = {{bitmaps, pictures + '|' + bitmaps}, {"All|*|Bitmap|*.bmp", pictures + "|Bitmap|*.bmp|All|*"}, {"", pictures + "|所有文件|*.*"}};
    for (const auto& [given, offered] : rows) QCOMPARE(pictureOpenFilter(given) + ' ' + pictureOpenFilter(offered), offered + ' ' + offered);
  }
  // clang-format on

  // Qt's file dialog as asked for: its own, never the platform's; the filter
  // chosen; an open dialog for a file that is there, a save dialog that asks
  // before replacing one only when told to.
  void fileDialogs() {
    FileDialogRequest request{
        "保存为", "PNG(*.png)|*.png|All files(*.*)|*.*", 2, "shot.png", QDir::tempPath(), "png"};
    const auto describe = [](const QFileDialog& d) {
      const QString options = QString::asprintf(
          "%d%d%d%d%d", d.testOption(QFileDialog::DontUseNativeDialog),
          d.testOption(QFileDialog::HideNameFilterDetails),
          d.testOption(QFileDialog::DontConfirmOverwrite), d.acceptMode(), d.fileMode());
      return QString("%1 | %2 | %3 | %4 | %5 | %6")
          .arg(d.windowTitle(), d.directory().path(), d.nameFilters().join(";;"),
               d.selectedNameFilter(), d.defaultSuffix(), options);
    };
    QCOMPARE(describe(*fileDialogFor(nullptr, request, true)),
             "保存为 | " + QDir::tempPath() +
                 " | PNG(*.png) (*.png);;All files(*.*) (*.*) | All files(*.*) | png | 11110");
    request.overwritePrompt = true;
    const auto open = fileDialogFor(nullptr, request, false);
    QVERIFY(describe(*open).endsWith("| 11001"));
    // The name asked for is what accepting the dialog gives, and cancelling gives none.
    QCOMPARE(fileAnswer(*open, QDialog::Accepted), QDir::temp().filePath("shot.png"));
    QCOMPARE(fileAnswer(*open, QDialog::Rejected), std::nullopt);
  }

  // Qt's message box as asked for, and the cautious answer when it is closed
  // by Esc or its title bar.
  void messageBoxes() {
    using B = MessageRequest::Buttons;
    using I = MessageRequest::Icon;
    // clang-format off
    const std::tuple<I, B, QMessageBox::Icon, QMessageBox::StandardButtons, MsgBoxResult> boxes[] = {
        {I::None, B::Ok, QMessageBox::NoIcon, QMessageBox::Ok, MsgBoxResult::Ok},
        {I::Information, B::OkCancel, QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel, MsgBoxResult::Cancel},
        {I::Warning, B::YesNo, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, MsgBoxResult::No},
        {I::Critical, B::Ok, QMessageBox::Critical, QMessageBox::Ok, MsgBoxResult::Ok}};
    // clang-format on
    for (const auto& [icon, buttons, qtIcon, qtButtons, closed] : boxes) {
      const auto box = messageBoxFor(nullptr, {"没有图片", "Rotaskiv2.0", icon, buttons});
      QCOMPARE(box->windowTitle() + '|' + box->text(), "Rotaskiv2.0|没有图片");
      QVERIFY(box->icon() == qtIcon && box->standardButtons() == qtButtons);
      QVERIFY(messageAnswer(QMessageBox::NoButton, buttons) == closed);
    }
    for (const auto& [clicked, answer] : {std::pair{QMessageBox::Ok, MsgBoxResult::Ok},
                                          {QMessageBox::Yes, MsgBoxResult::Yes},
                                          {QMessageBox::No, MsgBoxResult::No}})
      QVERIFY(messageAnswer(clicked, B::YesNo) == answer);
    // And a dialog of the program's own, run by Qt: accepted or not, as it was closed.
    for (const bool accept : {true, false}) {
      QDialog dialog;
      QMetaObject::invokeMethod(&dialog, accept ? "accept" : "reject", Qt::QueuedConnection);
      QCOMPARE(QtDialogBackend().runDialog(dialog), accept);
    }
    // A message box run by Qt answers with the button clicked on it.
    QTimer::singleShot(0, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        box->button(QMessageBox::Yes)->click();
    });
    QVERIFY(QtDialogBackend().message(nullptr, {"没有图片", "Rotaskiv2.0", I::Warning, B::YesNo}) ==
            MsgBoxResult::Yes);
  }
};

QTEST_MAIN(TstDialogs)

#include "tst_dialogs.moc"
