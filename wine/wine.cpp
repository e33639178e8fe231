#include "wine/wine.h"

#include "platform/paths.h"
#include "platform/trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace tarvex::wine {
namespace {

// winemenubuilder writes desktop entries and file associations; mscoree and mshtml would
// offer to download Mono and Gecko in dialogs of their own.
constexpr char kDllOverrides[] = "winemenubuilder.exe=d;mscoree=d;mshtml=d";
// Settings of the user's own wine set-up that would change the launcher's prefix: its
// architecture (WINEARCH=win32 would make it 32-bit for good), and a server, loader or
// libraries of another wine (a version mismatch). The wine chosen with TARVEX_WINE finds
// its own.
constexpr const char* kUsersWineSettings[] = {"WINEARCH", "WINESERVER", "WINELOADER", "WINEDLLPATH"};

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

// A 32-bit x86 program that exits with status 0: an ELF header, one loadable segment and
// `mov eax, 1; xor ebx, ebx; int 0x80`.
constexpr unsigned char kExitingElf32[] = {
    0x7f, 0x45, 0x4c, 0x46, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x54, 0x80, 0x04, 0x08, 0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x34, 0x00, 0x20, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x80, 0x04, 0x08, 0x00, 0x80, 0x04, 0x08, 0x5d, 0x00, 0x00, 0x00, 0x5d, 0x00, 0x00, 0x00,
    0x05, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0xb8, 0x01, 0x00, 0x00, 0x00, 0x31, 0xdb, 0xcd, 0x80};

bool TryElf32() {
  // In memory, so that a home or /tmp mounted noexec does not decide.
  const int program = ::memfd_create("tarvex-elf32", MFD_CLOEXEC);
  if (program < 0) return true;
  const bool written = ::write(program, kExitingElf32, sizeof kExitingElf32) == sizeof kExitingElf32;
  int refusal[2];
  if (!written || ::pipe2(refusal, O_CLOEXEC) != 0) {
    ::close(program);
    return true;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    char* const argv[] = {const_cast<char*>("elf32"), nullptr};
    char* const envp[] = {nullptr};
    ::fexecve(program, argv, envp);
    const int error = errno;
    (void)!::write(refusal[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(refusal[1]);
  ::close(program);
  int error = 0;
  const bool failed = child > 0 && ::read(refusal[0], &error, sizeof error) == sizeof error;
  ::close(refusal[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return !(failed && error == ENOEXEC);
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

bool KernelRuns32BitPrograms() {
  static const bool runs = TryElf32();
  return runs;
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

QString ServerExecutable(const QString& executable) {
  if (executable.isEmpty()) return QString();
  const QFileInfo given(executable);
  for (const QString& folder : {given.absolutePath(), QFileInfo(given.canonicalFilePath()).absolutePath()}) {
    const QFileInfo server(folder + QStringLiteral("/wineserver"));
    if (server.isFile() && server.isExecutable()) return server.absoluteFilePath();
  }
  return QStandardPaths::findExecutable(QStringLiteral("wineserver"));
}

QString SetupFile(const QString& executable) {
  if (executable.isEmpty()) return QString();
  const QFileInfo given(executable);
  for (const QString& folder : {given.absolutePath(), QFileInfo(given.canonicalFilePath()).absolutePath()}) {
    // An installed wine keeps it in share/wine, a build tree in loader/.
    for (const QString& candidate : {folder + QStringLiteral("/../share/wine/wine.inf"),
                                     folder + QStringLiteral("/loader/wine.inf")}) {
      if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
    }
  }
  return QString();
}

QProcessEnvironment Environment(QProcessEnvironment base, const QString& workingDirectory) {
  for (const char* variable : kUsersWineSettings) base.remove(QString::fromLatin1(variable));
  base.insert(QStringLiteral("WINEPREFIX"), QDir::cleanPath(paths::WinePrefix()));
  // Wine's own diagnostics ("fixme" lines) fill a long session's log; a user who looks
  // into a failing game sets WINEDEBUG and gets what they asked for.
  if (!base.contains(QStringLiteral("WINEDEBUG"))) base.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
  // Ours come last, so they win over any the user set.
  const QString theirs = base.value(QStringLiteral("WINEDLLOVERRIDES"));
  base.insert(QStringLiteral("WINEDLLOVERRIDES"),
              theirs.isEmpty() ? QLatin1String(kDllOverrides) : theirs + QLatin1Char(';') + QLatin1String(kDllOverrides));
  if (!workingDirectory.isEmpty()) base.insert(QStringLiteral("PWD"), workingDirectory);
  return base;
}

bool LinkBox() {
  // The game's start (GUI thread) and an installer's preparation (a worker) may both find
  // the link missing: one makes it, the other finds it made.
  static auto* linking = new std::mutex;  // never destroyed: a worker may outlive statics
  const std::lock_guard lock(*linking);
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

}  // namespace tarvex::wine
