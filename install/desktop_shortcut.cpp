#include "install/desktop_shortcut.h"

#include "install/launch_decision.h"
#include "platform/paths.h"
#include "platform/trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace tarvex {
namespace {

// The line by which an entry is known as one the launcher wrote.
constexpr char kOwnEntryKey[] = "X-Tarvex-Game=";
constexpr qint64 kLongestLine = 64 * 1024;
constexpr int kRefreshLimitMs = 5000;

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

struct Action {
  const char* id;
  const char* name;
  const char* korean;
  const char* simplifiedChinese;
  const char* traditionalChinese;
};
// The entry's actions, run by the companion command with the game's key.
constexpr Action kActions[] = {
    {"uninstall", "Uninstall", "제거", "卸载", "解除安裝"},
    {"stop", "Stop the game", "게임 종료", "结束游戏", "結束遊戲"},
    {"log", "Show the log", "로그 보기", "查看日志", "檢視日誌"},
};

QString ActionList() {
  QString list;
  for (const Action& action : kActions) list += QLatin1String(action.id) + QLatin1Char(';');
  return list;
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

QString DesktopEntryText(const launch::Shortcut& shortcut, const QString& launcher, const QString& companion) {
  QString exec = QuoteExecArgument(launcher);
  if (!shortcut.arguments.isEmpty()) exec += QLatin1Char(' ') + QuoteExecArgument(shortcut.arguments);
  QString text = QStringLiteral("[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=%1\n"
                                "Exec=%2\n"
                                "Comment=%3\n"
                                "Icon=%4\n"
                                "Categories=Game;\n"
                                "StartupWMClass=%5\n"
                                "Actions=%6\n"
                                "%7%8\n")
                     .arg(EscapeValue(shortcut.name), EscapeValue(exec), EscapeValue(launcher),
                          EscapeValue(shortcut.icon), EscapeValue(GameWindowClass(shortcut.key)),
                          ActionList(), QLatin1String(kOwnEntryKey), EscapeValue(shortcut.key));
  for (const Action& action : kActions) {
    const QString actionExec = QuoteExecArgument(companion) + QLatin1Char(' ') +
                               QuoteExecArgument(QLatin1String(action.id)) + QLatin1Char(' ') +
                               QuoteExecArgument(shortcut.key);
    text += QStringLiteral("\n[Desktop Action %1]\nName=%2\nName[ko]=%3\nName[zh_CN]=%4\nName[zh_TW]=%5\nExec=%6\n")
                .arg(QLatin1String(action.id), QLatin1String(action.name), QString::fromUtf8(action.korean),
                     QString::fromUtf8(action.simplifiedChinese), QString::fromUtf8(action.traditionalChinese),
                     EscapeValue(actionExec));
  }
  return text;
}

QString GameWindowClass(const QString& gameKey) { return (gameKey + QStringLiteral(".exe")).toLower(); }

bool IsEntryOfGame(const QString& fileName, const QString& gameKey) {
  const QFileInfo info(fileName);
  if (info.isSymLink() || !info.isFile()) return false;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray keyLine = QByteArray(kOwnEntryKey) + EscapeValue(gameKey).toUtf8();
  while (!file.atEnd()) {
    QByteArray line = file.readLine(kLongestLine);
    if (line.endsWith('\n')) line.chop(1);
    if (line == keyLine) return true;
  }
  return false;
}

namespace {

// Writes the entry to `fileName` unless another program's file stands there.
bool WriteEntry(const launch::Shortcut& shortcut, const QString& fileName) {
  if (!MayWriteEntry(fileName)) {
    TraceFormat(QStringLiteral("---------shortcut left alone---------%s\n"), fileName);
    return false;
  }
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(DesktopEntryText(shortcut, paths::InstalledClient(), paths::InstalledCompanion()).toUtf8());
  if (!file.commit()) return false;
  // Desktops refuse to start an entry that is not executable.
  return QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

}  // namespace

bool WriteDesktopShortcut(const launch::Shortcut& shortcut) {
  const QString desktop = paths::DesktopFolder();
  if (desktop.isEmpty() || !QDir(desktop).exists()) return false;
  return WriteEntry(shortcut, desktop + shortcut.name + QStringLiteral(".desktop"));
}

bool WriteMenuEntry(const launch::Shortcut& shortcut) {
  if (!QDir().mkpath(paths::ApplicationsFolder())) return false;
  const bool written = WriteEntry(shortcut, paths::MenuEntry(shortcut.key));
  RefreshMenuDatabase();
  return written;
}

void RefreshMenuDatabase() {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (tool.isEmpty() || !QDir(paths::ApplicationsFolder()).exists()) return;
  // It takes milliseconds; a tool that hangs is not waited for long.
  QProcess refresh;
  refresh.start(tool, {QStringLiteral("-q"), paths::ApplicationsFolder()});
  if (!refresh.waitForFinished(kRefreshLimitMs)) refresh.kill();
  refresh.waitForFinished(kRefreshLimitMs);
}

}  // namespace tarvex
