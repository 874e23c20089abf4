#pragma once

class QCoreApplication;

// Qt's own texts (message-box buttons, file and font choosers) in Simplified
// Chinese, like the rest of the program, whatever the desktop's language.
namespace QtTexts {

// False when the translation files are not installed; English stays then.
bool installChinese(QCoreApplication& app);

} // namespace QtTexts
