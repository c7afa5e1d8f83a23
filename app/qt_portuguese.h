// Qt's own texts (file and colour dialogs, the fields' context menus) in Portuguese, as are all
// the program's texts.
#pragma once

namespace talvor {

// Installs Qt's Brazilian Portuguese translations into the application, whatever the system
// language; once per application. False when they are not installed (package
// qt6-translations-l10n): Qt's texts then stay in English. Numbers keep the C format.
bool UsePortugueseQtTexts();

} // namespace talvor
