#pragma once

#include <QByteArray>
#include <QString>

namespace tarvex {

// Turns bytes from outside the program (the token file, portal answers) into text: the
// bytes up to the first zero byte, decoded with the character set of the process's
// LC_CTYPE locale (main() adopts the user's locale with setlocale). Bytes that the
// character set cannot decode become U+FFFD. The plain "C" locale names only ASCII;
// there the bytes are read as UTF-8, which agrees with ASCII and with the rest of Qt.
QString DecodeLocaleText(const QByteArray& bytes);

}  // namespace tarvex
