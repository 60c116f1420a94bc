#include <QTest>

#include "common/font_list.h"

class TstFontList : public QObject {
  Q_OBJECT

 private slots:
  void everySecondFontAndEntry32() {
    QStringList names;  // fonts named by their index in the system's list
    for (int i = 0; i < 7; ++i) names << QString::number(i);
    QCOMPARE(fonts::everySecondName(names), QStringList({"0", "2", "4", "6"}));
    QCOMPARE(fonts::preselectedFontIndex(33), 32);
    QCOMPARE(fonts::preselectedFontIndex(32), 0);  // too short for entry 32: the first
  }
};

QTEST_MAIN(TstFontList)

#include "tst_font_list.moc"
