#include <QCursor>
#include <QGuiApplication>
#include <QTest>

#include "common/cursor_override.h"
#include "common/dialogs.h"
#include "tests/support/test_helpers.h"
#include "tests/support/scripted_dialogs.h"

// The application-wide services: dialogs, message boxes and the cursor.
class TstDialogs : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
    verifyNoLeakedWindows();
  }

  void fileDialogs_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("open") << false << std::optional<QString>("/pictures/new.png");
    QTest::newRow("open, cancelled") << false << std::optional<QString>();
    QTest::newRow("save") << true << std::optional<QString>("/pictures/out.bmp");
    QTest::newRow("save, cancelled") << true << std::optional<QString>();
  }

  void fileDialogs() {
    QFETCH(bool, save);
    QFETCH(std::optional<QString>, answer);
    ScriptedDialogs dialogs;
    CommonDialog dialog;
    dialog.FileName = QStringLiteral("old.bmp");
    dialog.Filter = QStringLiteral("位图|*.bmp|所有文件|*.*");
    dialog.FilterIndex = 2;
    dialog.DialogTitle = QStringLiteral("保存图片");
    dialog.DefaultExt = QStringLiteral("bmp");
    dialog.InitDir = QStringLiteral("/pictures");
    dialog.OverwritePrompt = true;
    const auto show = [&](std::optional<QString> answer) {
      save ? dialogs.answerSave(answer) : dialogs.answerOpen(answer);
      return save ? dialog.ShowSave(nullptr) : dialog.ShowOpen(nullptr);
    };
    QCOMPARE(show(answer), answer.has_value());
    QCOMPARE(dialog.FileName, answer.value_or(QStringLiteral("old.bmp")));
    QVERIFY(!show(std::nullopt));  // the next use starts from what this one left

    QCOMPARE(dialogs.fileRequests().size(), 2);
    const FileDialogRequest& request = dialogs.fileRequests()[0];
    QCOMPARE(request.fileName, QStringLiteral("old.bmp"));
    QCOMPARE(request.filter, dialog.Filter);
    QCOMPARE(request.filterIndex, 2);
    QCOMPARE(request.title, dialog.DialogTitle);
    QCOMPARE(request.defaultExt, QStringLiteral("bmp"));
    QCOMPARE(request.initialDir, QStringLiteral("/pictures"));
    QVERIFY(request.overwritePrompt);
    QCOMPARE(dialogs.fileRequests()[1].fileName, dialog.FileName);
    QVERIFY(dialogs.unexpected().isEmpty());
  }

  void colourDialog_data() {
    QTest::addColumn<std::optional<QColor>>("answer");
    QTest::addColumn<ColourRef>("expected");
    QTest::newRow("chosen") << std::optional<QColor>(QColor(10, 20, 30)) << colour::rgb(10, 20, 30);
    QTest::newRow("chosen as HSV")
        << std::optional<QColor>(QColor::fromHsv(240, 255, 255)) << colour::rgb(0, 0, 255);
    QTest::newRow("cancelled") << std::optional<QColor>() << colour::rgb(1, 2, 3);
  }

  void colourDialog() {
    QFETCH(std::optional<QColor>, answer);
    ScriptedDialogs dialogs;
    CommonDialog dialog;
    dialog.Color = colour::rgb(1, 2, 3);
    dialogs.answerColour(answer);
    QCOMPARE(dialog.ShowColor(nullptr), answer.has_value());
    QTEST(dialog.Color, "expected");
    QCOMPARE(dialogs.colourRequests(), QList<QColor>{QColor(1, 2, 3)});
  }

  void unscriptedDialogIsCancelled() {
    ScriptedDialogs dialogs;
    CommonDialog dialog;
    dialog.FileName = QStringLiteral("kept.png");
    QVERIFY(!dialog.ShowOpen(nullptr));
    QVERIFY(!dialog.ShowColor(nullptr));
    QCOMPARE(dialog.FileName, QStringLiteral("kept.png"));
    QCOMPARE(dialogs.unexpected(), (QStringList{"open dialog", "colour dialog"}));
  }

  void toQtFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two entries") << "a|b;c|d|e"
                                 << "a (b c);;d (e)";
    QTest::newRow("one pattern") << "Pictures|*.bmp"
                                 << "Pictures (*.bmp)";
    QTest::newRow("stray separators") << "Pictures|*.bmp;;*.jpg;"
                                      << "Pictures (*.bmp *.jpg)";
    QTest::newRow("empty") << ""
                           << "";
  }

  void toQtFilter() {
    QFETCH(QString, filter);
    QTEST(::toQtFilter(filter), "expected");
  }

  void messageBox() {
    ScriptedDialogs dialogs;
    MsgBox(nullptr, QStringLiteral("文件已保存。"), QStringLiteral("Rotaskiv"),
                     MessageRequest::Icon::Warning);
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages()[0].text, QStringLiteral("文件已保存。"));
    QCOMPARE(dialogs.messages()[0].title, QStringLiteral("Rotaskiv"));
    QCOMPARE(dialogs.messages()[0].icon, MessageRequest::Icon::Warning);
  }

  void cursorSetReplaces() {
    QCOMPARE(cursor_override::current(), std::nullopt);
    cursor_override::set(Qt::WaitCursor);
    cursor_override::set(Qt::CrossCursor);
    QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();  // one shape on Qt's stack, not two
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void cursorResetRemovesAll() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));  // pushed by someone else
    QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor));
    cursor_override::set(Qt::WaitCursor);
    QCOMPARE(cursor_override::current(), std::optional(Qt::WaitCursor));
    cursor_override::reset();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(cursor_override::current(), std::nullopt);
  }
};

QTEST_MAIN(TstDialogs)

#include "tst_dialogs.moc"
