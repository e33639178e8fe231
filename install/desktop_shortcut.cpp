#include "install/desktop_shortcut.h"

#include "install/launch_decision.h"
#include "platform/paths.h"
#include "platform/trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarvex {
namespace {

// The line by which an entry is known as one the launcher wrote.
constexpr char kOwnEntryKey[] = "X-Tarvex-Game=";
constexpr qint64 kLongestLine = 64 * 1024;

// The escapes of a desktop entry's string values.
QString EscapeValue(const QString& value) {
  QString escaped;
  escaped.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    if (c == QLatin1Char('\\')) escaped += QStringLiteral("\\\\");
    else if (c == QLatin1Char('\n')) escaped += QStringLiteral("\\n");
    else if (c == QLatin1Char('\t')) escaped += QStringLiteral("\\t");
    else if (c == QLatin1Char('\r')) escaped += QStringLiteral("\\r");
    else if (c == QLatin1Char(' ') && i == 0) escaped += QStringLiteral("\\s");
    else escaped += c;
  }
  return escaped;
}

// A name that is free, or an entry this launcher wrote: a plain file with the key line.
// Anything else (another program's entry, a link, a pipe) is not the launcher's to replace.
bool MayWriteEntry(const QString& fileName) {
  const QFileInfo info(fileName);
  if (!info.exists() && !info.isSymLink()) return true;
  if (info.isSymLink() || !info.isFile()) return false;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  while (!file.atEnd()) {
    if (file.readLine(kLongestLine).startsWith(kOwnEntryKey)) return true;
  }
  return false;
}

}  // namespace

QString QuoteExecArgument(const QString& argument) {
  QString quoted = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
    // A lone '%' would be read as a field code.
    if (c == QLatin1Char('%')) quoted += QLatin1Char('%');
  }
  return quoted + QLatin1Char('"');
}

QString DesktopEntryText(const launch::Shortcut& shortcut, const QString& launcher) {
  QString exec = QuoteExecArgument(launcher);
  if (!shortcut.arguments.isEmpty()) exec += QLatin1Char(' ') + QuoteExecArgument(shortcut.arguments);
  return QStringLiteral("[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=%1\n"
                        "Exec=%2\n"
                        "Comment=%3\n"
                        "Icon=%4\n"
                        "%5%6\n")
      .arg(EscapeValue(shortcut.name), EscapeValue(exec), EscapeValue(launcher), EscapeValue(shortcut.icon),
           QLatin1String(kOwnEntryKey), EscapeValue(shortcut.key));
}

bool WriteDesktopShortcut(const launch::Shortcut& shortcut) {
  const QString desktop = paths::DesktopFolder();
  if (desktop.isEmpty() || !QDir(desktop).exists()) return false;
  const QString fileName = desktop + shortcut.name + QStringLiteral(".desktop");
  if (!MayWriteEntry(fileName)) {
    TraceFormat(QStringLiteral("---------shortcut left alone---------%s\n"), fileName);
    return false;
  }
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(DesktopEntryText(shortcut, paths::InstalledClient()).toUtf8());
  if (!file.commit()) return false;
  // Desktops refuse to start an entry that is not executable.
  return QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

}  // namespace tarvex
