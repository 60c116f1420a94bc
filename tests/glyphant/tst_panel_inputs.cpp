#include <QTest>

#include "glyphant/panel_inputs.h"

using panel_inputs::TextProblem;

// The width and height typed; the canvas size taken (invalid: refused with a message).
using CanvasSize = std::tuple<QString, QString, QSize>;
// Shrinks, then grows, and the size the preview shows after them.
using Zoom = std::tuple<int, int, QSize>;

class TstPanelInputs : public QObject {
  Q_OBJECT

 private slots:
  // Text, font, size, x and y as typed; "Sans" is the one installed font.
  // The result is the problem, or "text|points|x,y" of what will be drawn.
  // clang-format off
  void textChecks_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("result");
    QTest::newRow("spaces around") << QStringList{"  字  ", "Sans", "364", "30", "30"} << "字|364|30,30";
    QTest::newRow("a tab stays, spaces inside too") << QStringList{"\ta b ", "Sans", "12", "0", "0"} << "\ta b|12|0,0";
    QTest::newRow("only spaces") << QStringList{"   ", "Sans", "364", "30", "30"} << "empty";
    QTest::newRow("empty text first") << QStringList{"", "Nowhere", "abc", "x", "y"} << "empty";
    QTest::newRow("leading number of the size") << QStringList{"字", "Sans", "72.5pt", "1.5", "-20"} << "字|72.5|1.5,-20";
    QTest::newRow("below a pixel") << QStringList{"字", "Sans", "0.3", "30", "30"} << "size";
    QTest::newRow("beyond the font engine") << QStringList{"字", "Sans", "10001", "30", "30"} << "size";
    QTest::newRow("y far away") << QStringList{"字", "Sans", "364", "30", "1e9"} << "position";
    QTest::newRow("font not installed") << QStringList{"字", "Nowhere", "364", "30", "30"} << "font";
  }
  // clang-format on
  void textChecks() {
    QFETCH(QStringList, fields);
    const panel_inputs::TextCheck check =
        panel_inputs::checkText(fields[0], fields[1], fields[2], fields[3], fields[4],
                                [](const QString& family) { return family == "Sans"; });
    const panel_inputs::TextRequest& r = check.request;
    // Each problem in the enum's order, the first (none) as what will be drawn.
    const QStringList results = {QString("%1|%2|%3,%4").arg(r.text).arg(r.points).arg(r.x).arg(r.y),
                                 "empty", "position", "size", "font"};
    QTEST(results[int(check.problem)], "result");
    QCOMPARE(check.message.isEmpty(), check.problem == TextProblem::None);
  }

  // clang-format off
  void canvasSizes_data() {
    QTest::addColumn<CanvasSize>("row");
    QTest::newRow("halves to even") << CanvasSize{" 1000.5 ", "7.5", QSize(1000, 8)};
    QTest::newRow("largest square") << CanvasSize{"16384", "16384", QSize(16384, 16384)};
    QTest::newRow("not a number") << CanvasSize{"abc", "1500", QSize()};
    QTest::newRow("rounds to zero") << CanvasSize{"0.4", "1500", QSize()};
    QTest::newRow("longest side") << CanvasSize{"32767", "1", QSize(32767, 1)};
    QTest::newRow("narrowest") << CanvasSize{"1", "1500", QSize(1, 1500)};
    QTest::newRow("side too long") << CanvasSize{"32768", "1", QSize()};
    QTest::newRow("too many pixels") << CanvasSize{"16384", "16385", QSize()};
  }
  // clang-format on
  void canvasSizes() {
    QFETCH(CanvasSize, row);
    const auto& [width, height, size] = row;
    const panel_inputs::CanvasSizeCheck check = panel_inputs::checkCanvasSize(width, height);
    QVERIFY(check.size == size && check.error.isEmpty() == size.isValid());
  }

  // From one tenth of a 1000 x 2000 canvas, `shrinks` then `grows` steps.
  void previewZoom_data() {
    QTest::addColumn<Zoom>("row");
    QTest::newRow("shrinking stops at a pixel") << Zoom{100, 0, QSize(1, 2)};
    QTest::newRow("and comes back") << Zoom{100, 3, QSize(1, 3)};
    QTest::newRow("growing stops at the bound") << Zoom{0, 100, QSize(1919, 3839)};
  }
  void previewZoom() {
    QFETCH(Zoom, row);
    const auto& [shrinks, grows, shown] = row;
    panel_inputs::PreviewZoom zoom({121, 71});
    zoom.reset({1000, 2000});
    for (int i = 0; i < shrinks + grows; ++i) zoom.zoom(i < shrinks ? 0.1f : -0.1f);
    QCOMPARE(zoom.shown(), shown);
  }
};

QTEST_MAIN(TstPanelInputs)

#include "tst_panel_inputs.moc"
