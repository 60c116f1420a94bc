#pragma once

class QLocale;

// Start-up shared by the programs.
namespace application {

// Call once the QApplication exists: the caption font (a CJK face first) and
// Qt's own texts (file, colour and message dialogs) in the user's language.
void prepare();

// Installs Qt's translations for `locale` from Qt's translation folder in
// place of any installed here before. False when Qt has none for that
// language; its English texts stay then.
bool installQtTranslations(const QLocale& locale);

}  // namespace application
