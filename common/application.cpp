#include "common/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "common/fonts.h"

namespace application {

namespace {

QPointer<QTranslator> installedTranslator;

}  // namespace

void prepare() {
  fonts::applyCaptionFont();
  installQtTranslations(QLocale::system());
}

bool installQtTranslations(const QLocale& locale) {
  if (installedTranslator) {
    QCoreApplication::removeTranslator(installedTranslator);
    delete installedTranslator;
  }
  auto* translator = new QTranslator(QCoreApplication::instance());
  // qtbase holds the texts of the dialogs and the standard buttons.
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installedTranslator = translator;
  return true;
}

}  // namespace application
