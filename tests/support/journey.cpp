#include "support/journey.h"

#include <QFile>
#include <QStandardPaths>

namespace tarvex::testing {
namespace {

QString Env(const char* name) { return qEnvironmentVariable(name); }
QString TokenPath() { return Env("XDG_DATA_HOME") + "/Tarvex/Box/ONEREAD.TXT"; }
QString RecordPath() { return Env("HOME") + "/browser-opened.txt"; }

void WriteFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions = {}) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
  file.close();
  if (permissions) file.setPermissions(permissions);
}

}  // namespace

PlayerDesktop::PlayerDesktop() {
  // xdg-open asks the desktop's default http handler, which here records the address.
  const QString recorder = Env("HOME") + "/bin/record-browser";
  WriteFile(recorder, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(RecordPath()).toUtf8(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  WriteFile(Env("XDG_DATA_HOME") + "/applications/record-browser.desktop",
            QStringLiteral("[Desktop Entry]\nType=Application\nName=Recorder\nExec=%1 %u\n"
                           "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
                .arg(recorder)
                .toUtf8());
  WriteFile(Env("XDG_CONFIG_HOME") + "/mimeapps.list",
            "[Default Applications]\nx-scheme-handler/http=record-browser.desktop\n"
            "x-scheme-handler/https=record-browser.desktop\n");
  QDir().mkpath(DesktopFolder());
}

void PlayerDesktop::LeaveToken(const QByteArray& bytes) const { WriteFile(TokenPath(), bytes); }

bool PlayerDesktop::TokenFileExists() const { return QFile::exists(TokenPath()); }

QStringList PlayerDesktop::OpenedInBrowser() const {
  QFile file(RecordPath());
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString PlayerDesktop::DesktopFolder() const { return Env("HOME") + "/Desktop"; }

QString PlayerDesktop::GamesFolder() const { return Env("XDG_DATA_HOME") + "/Tarvex/Box/games"; }

void PlayerDesktop::Reset() const {
  QDir(GamesFolder()).removeRecursively();
  QDir(DesktopFolder()).removeRecursively();
  QDir().mkpath(DesktopFolder());
  const QDir menu(Env("XDG_DATA_HOME") + "/applications");
  for (const QString& entry : menu.entryList({"tarvex-*.desktop"}, QDir::Files)) QFile::remove(menu.filePath(entry));
  QDir(Env("XDG_DATA_HOME") + "/icons").removeRecursively();
  QDir(Env("XDG_CACHE_HOME") + "/Tarvex").removeRecursively();
  QDir(Env("XDG_CACHE_HOME") + "/Wexlod").removeRecursively();
  QFile::remove(RecordPath());
  QFile::remove(TokenPath());
}

}  // namespace tarvex::testing
