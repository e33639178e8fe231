#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

// East Asian games ask for the fonts Windows brings in their language (Gulim, SimSun,
// MS Gothic ...), by their English or their own name. Wine has none of them; a font
// replacement in the prefix's registry (HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements)
// sends each to the Noto CJK face of its language and kind (sans, serif, monospaced) as
// Debian's fonts-noto-cjk names it, so Korean text is drawn in Korean glyph forms, not in
// those of whichever CJK face fontconfig would pick.
namespace tarvex::wine {

struct FontReplacement {
  QString face;         // as a program names it
  QString replacement;  // a fontconfig family
};

QList<FontReplacement> FontReplacements();

// The replacements as a registry file, version 5 text (what regedit imports).
QString FontReplacementsRegistryText();

// `text` as regedit reads a version 5 file: UTF-16LE with its byte-order mark. Wine's
// regedit takes a file without it in the ANSI code page, and the faces' own names with it.
QByteArray RegistryFileBytes(const QString& text);

// Imports the replacements into the prefix `environment` names (its WINEPREFIX), which is
// ready, with `wineExecutable`'s regedit; its output goes to `logFile`. Blocks for as long
// as regedit runs, a minute at most: for worker threads. False when it did not import.
bool ApplyFontReplacements(const QString& wineExecutable, const QProcessEnvironment& environment,
                           const QString& logFile);

}  // namespace tarvex::wine
