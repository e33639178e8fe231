#include "wine/wine.h"

#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <mutex>
#include <thread>

namespace tarvex::wine {
namespace {

// winemenubuilder writes desktop entries and file associations; mscoree and mshtml would
// offer to download Mono and Gecko in dialogs of their own.
constexpr char kDllOverrides[] = "winemenubuilder.exe=d;mscoree=d;mshtml=d";
// How long wine's server may take to write the registry after wineboot has ended.
constexpr std::chrono::seconds kRegistryWait{30};
constexpr std::chrono::milliseconds kPoll{100};

// An executable ELF file for 32-bit processors.
bool IsElf32Program(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isExecutable()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(5);
  return head.size() == 5 && head.startsWith("\x7f" "ELF") && head[4] == 1;
}

// The folders a wine installation keeps its loaders and libraries in, seen from the folder
// of its wine program.
QStringList LoaderCandidates(const QString& binFolder) {
  return {binFolder + QStringLiteral("/wine"), binFolder + QStringLiteral("/wine32"),
          binFolder + QStringLiteral("/../lib/wine/wine"), binFolder + QStringLiteral("/../lib/wine/wine32"),
          binFolder + QStringLiteral("/../lib32/wine/wine")};
}

bool HasWow64Libraries(const QString& binFolder) {
  QStringList libraries = {binFolder + QStringLiteral("/../lib/wine"), binFolder + QStringLiteral("/../lib64/wine")};
  const QString lib = binFolder + QStringLiteral("/../lib/");
  for (const QString& triplet : QDir(lib).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    libraries << lib + triplet + QStringLiteral("/wine");
  for (const QString& library : libraries) {
    if (QFileInfo::exists(library + QStringLiteral("/i386-windows/ntdll.dll"))) return true;
  }
  return false;
}

bool WaitForFile(const QString& path, const std::atomic<bool>& cancelled, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!QFileInfo::exists(path)) {
    if (cancelled.load() || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

QString BoxLinkTarget() {
  QString box = paths::BoxFolder();
  box.chop(1);
  return box;
}

}  // namespace

QString Executable() {
  const QString chosen = qEnvironmentVariable("TARVEX_WINE");
  if (chosen.isEmpty()) return QStandardPaths::findExecutable(QStringLiteral("wine"));
  if (!chosen.contains(QLatin1Char('/'))) return QStandardPaths::findExecutable(chosen);
  const QFileInfo info(chosen);
  return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

bool Runs32Bit(const QString& executable) {
  if (executable.isEmpty()) return false;
  const QFileInfo given(executable);
  const QString real = given.canonicalFilePath();
  if (IsElf32Program(real)) return true;
  // Both the folder the user named and the one its links lead to: Debian's wine is a link
  // to a script that runs a loader from ../lib/wine.
  for (const QString& folder : {given.absolutePath(), QFileInfo(real).absolutePath()}) {
    for (const QString& candidate : LoaderCandidates(folder)) {
      if (IsElf32Program(candidate)) return true;
    }
    if (HasWow64Libraries(folder)) return true;
  }
  return false;
}

QString WindowsPath(const QString& file, const QString& boxFolder) {
  if (!file.startsWith(boxFolder)) return file;
  QString below = file.mid(boxFolder.size());
  below.replace(QLatin1Char('/'), QLatin1Char('\\'));
  return QStringLiteral("C:\\Tarvex\\Box\\") + below;
}

QString FolderInPrefix(const QString& folder) {
  const QString box = paths::BoxFolder();
  const QString withSlash = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  if (!withSlash.startsWith(box)) return folder;
  QString inside = paths::WinePrefixBox() + QLatin1Char('/') + withSlash.mid(box.size());
  if (inside.endsWith(QLatin1Char('/'))) inside.chop(1);
  return inside;
}

QProcessEnvironment Environment(QProcessEnvironment base, const QString& workingDirectory) {
  base.insert(QStringLiteral("WINEPREFIX"), QDir::cleanPath(paths::WinePrefix()));
  // Ours come last, so they win over any the user set.
  const QString theirs = base.value(QStringLiteral("WINEDLLOVERRIDES"));
  base.insert(QStringLiteral("WINEDLLOVERRIDES"),
              theirs.isEmpty() ? QLatin1String(kDllOverrides) : theirs + QLatin1Char(';') + QLatin1String(kDllOverrides));
  if (!workingDirectory.isEmpty()) base.insert(QStringLiteral("PWD"), workingDirectory);
  return base;
}

bool IsPrefixReady() { return QFileInfo::exists(paths::WinePrefix() + QStringLiteral("system.reg")); }

bool LinkBox() {
  const QString link = paths::WinePrefixBox();
  const QString target = BoxLinkTarget();
  const QFileInfo info(link);
  if (info.isSymLink()) {
    if (info.symLinkTarget() == target) return true;
    QFile::remove(link);
  } else if (info.exists() && !QDir().rmdir(link)) {
    // A folder with something in it: a program wrote into C:\Tarvex\Box before the link
    // was there. Nothing of it is thrown away.
    TraceFormat(QStringLiteral("----------wine box folder in the way----------%s\n"), link);
    return false;
  }
  return QDir().mkpath(QFileInfo(link).path()) && QFile::link(target, link);
}

Preparation PreparePrefix(const QString& logFile, const std::atomic<bool>& cancelled,
                          std::chrono::milliseconds limit) {
  // Never destroyed: a worker may still be here while the process ends.
  static auto* preparing = new std::mutex;
  const std::lock_guard lock(*preparing);
  if (!IsPrefixReady()) {
    const QString wine = Executable();
    if (wine.isEmpty() || !QDir().mkpath(paths::WinePrefix())) return Preparation::Failed;
    Trace(QStringLiteral("----------preparing wine prefix----------\n"));
    const auto end = std::chrono::steady_clock::now() + limit;
    QProcess boot;
    boot.setProgram(wine);
    boot.setArguments({QStringLiteral("wineboot"), QStringLiteral("--init")});
    boot.setWorkingDirectory(paths::WinePrefix());
    boot.setProcessEnvironment(Environment(ProgramEnvironment(), QString()));
    boot.setStandardOutputFile(logFile, QIODevice::Append);
    boot.setStandardErrorFile(logFile, QIODevice::Append);
    boot.start();
    if (!boot.waitForStarted()) return Preparation::Failed;
    while (!boot.waitForFinished(static_cast<int>(kPoll.count()))) {
      if (cancelled.load() || std::chrono::steady_clock::now() >= end) {
        boot.kill();
        boot.waitForFinished();
        return cancelled.load() ? Preparation::Cancelled : Preparation::Failed;
      }
    }
    // wineboot is done once wine's server has written the registry, a few seconds later.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (boot.exitStatus() != QProcess::NormalExit ||
        !WaitForFile(paths::WinePrefix() + QStringLiteral("system.reg"), cancelled,
                     std::min<std::chrono::milliseconds>(kRegistryWait, std::max(left, kPoll)))) {
      TraceFormat(QStringLiteral("----------wine prefix not made----------%s\n"), paths::WinePrefix());
      return cancelled.load() ? Preparation::Cancelled : Preparation::Failed;
    }
  }
  return LinkBox() ? Preparation::Ready : Preparation::Failed;
}

}  // namespace tarvex::wine
