#include "install/desktop_shortcut.h"

#include "install/launch_decision.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tarvex {
namespace {

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
                        "Icon=%4\n")
      .arg(EscapeValue(shortcut.name), EscapeValue(exec), EscapeValue(launcher), EscapeValue(shortcut.icon));
}

bool WriteDesktopShortcut(const launch::Shortcut& shortcut) {
  const QString desktop = paths::DesktopFolder();
  if (desktop.isEmpty() || !QDir(desktop).exists()) return false;
  const QString fileName = desktop + shortcut.name + QStringLiteral(".desktop");
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(DesktopEntryText(shortcut, paths::InstalledClient()).toUtf8());
  if (!file.commit()) return false;
  // Desktops refuse to start an entry that is not executable.
  return QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

}  // namespace tarvex
