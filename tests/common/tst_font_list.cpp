#include <QApplication>
#include <QFontInfo>
#include <QTest>

#include "common/font_list.h"
#include "common/fonts.h"

class TstFontList : public QObject {
  Q_OBJECT

 private slots:
  // The programs' captions: 9 points, in a face that has the Chinese characters,
  // whatever the desktop's own font.
  void captionFont() {
    QApplication::setFont(QFont("DejaVu Sans", 14));
    fonts::applyCaptionFont();
    QCOMPARE(QApplication::font().pointSize(), 9);
    QVERIFY(fonts::cjkFallback().contains(QFontInfo(QApplication::font()).family()));
  }
  void everySecondFontAndEntry32() {
    // Fonts named by their index in the system's list.
    const QStringList names = {"0", "1", "2", "3", "4", "5", "6"};
    QCOMPARE(fonts::everySecondName(names), QStringList({"0", "2", "4", "6"}));
    QCOMPARE(fonts::preselectedFontIndex(33), 32);
    QCOMPARE(fonts::preselectedFontIndex(32), 0);  // too short for entry 32: the first
  }

  // Families shipped by two foundries come tagged with them; a list offers
  // each family once, by the name a user knows, and that name draws an
  // installed face (a generic name such as "Monospace" the face behind it).
  void plainNamesThatDraw_data() {
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("foundry tags") << QStringList{"C059 [UKWN]",        "Nimbus Sans [urw]",
                                                 "Nimbus Sans [UKWN]", "DejaVu Sans",
                                                 "Nimbus Sans Narrow", "DejaVu Sans [ghost]"}
                                  << QStringList{"C059", "Nimbus Sans", "DejaVu Sans",
                                                 "Nimbus Sans Narrow"};
    QTest::newRow("this system") << QStringList() << QStringList();
  }
  void plainNamesThatDraw() {
    QFETCH(QStringList, listed);
    const bool system = listed.isEmpty();
    const auto names = system ? SystemFontCatalogue().families() : fonts::plainFamilies(listed);
    if (!system) QTEST(names, "offered");
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
      QVERIFY2(!name.contains('[') && names.count(name) == 1, qPrintable(name));
      QCOMPARE(fonts::drawableFamily(name + " [UKWN]"), name);
      if (system)
        QVERIFY2(names.contains(QFontInfo(QFont(fonts::drawableFamily(name))).family()),
                 qPrintable(name));
    }
  }
};

QTEST_MAIN(TstFontList)

#include "tst_font_list.moc"
