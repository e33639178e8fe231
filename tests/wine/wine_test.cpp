#include "wine/wine.h"

#include "platform/paths.h"
#include "wine/program_log.h"
#include "wine/windows_program.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

// A DOS header pointing at a PE header at 0x80 for `machine`.
QByteArray PeHead(std::uint16_t machine) {
  QByteArray head(0x80, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  head[0x3c] = char(0x80);
  head += QByteArray("PE\0\0", 4);
  head += char(machine & 0xff);
  head += char(machine >> 8);
  return head + QByteArray(64, '\0');
}

TEST(WindowsProgramTest, MachineComesFromThePeHeader) {
  QByteArray farOffset = PeHead(0x14c);
  farOffset[0x3e] = 0x10;  // PE header 1 MiB in: no PE file
  const struct {
    const char* name;
    QByteArray head;
    WindowsMachine machine;
  } rows[] = {
      {"64-bit", PeHead(0x8664), WindowsMachine::X64},
      {"32-bit", PeHead(0x14c), WindowsMachine::X86},
      {"ARM64", PeHead(0xaa64), WindowsMachine::Other},
      {"DOS program", QByteArray("MZ") + QByteArray(200, '\x01'), WindowsMachine::Other},
      {"cut in its DOS header", QByteArray("MZ\x90"), WindowsMachine::Other},
      {"offset past the end", farOffset, WindowsMachine::Other},
      {"ELF program", QByteArray("\x7f" "ELF\x02\x01\x01") + QByteArray(100, '\0'), WindowsMachine::None},
      {"shell script", QByteArray("#!/bin/sh\nexit 0\n"), WindowsMachine::None},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ReadWindowsMachine(row.head), row.machine);
  }
}

// The file layouts of wine installations: a distribution's wine64-only package, one with
// its 32-bit package, a WoW64 build, and a user's own build in its tree.
TEST(WineTest, ThirtyTwoBitSupportIsReadFromTheInstallation) {
  const QByteArray elf32 = QByteArray("\x7f" "ELF\x01\x01\x01") + QByteArray(100, '\0');
  const QByteArray elf64 = QByteArray("\x7f" "ELF\x02\x01\x01") + QByteArray(100, '\0');
  const struct {
    const char* name;
    QList<std::pair<const char*, QByteArray>> files;  // below the installation; first is wine
    bool runs32Bit;
  } rows[] = {
      {"wine64 only", {{"bin/wine", "#!/bin/sh\n"}, {"lib/wine/wine64", elf64}}, false},
      {"with the 32-bit loader", {{"bin/wine", "#!/bin/sh\n"}, {"lib/wine/wine", elf32}}, true},
      {"32-bit loader not executable", {{"bin/wine", "#!/bin/sh\n"}, {"lib/wine/wine32", elf32}}, false},
      {"WoW64 build", {{"bin/wine", elf64}, {"lib/x86_64-linux-gnu/wine/i386-windows/ntdll.dll", "MZ"}}, true},
      {"own build tree", {{"wine", elf32}}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir root;
    for (const auto& [path, content] : row.files) {
      const QString file = root.filePath(QString::fromLatin1(path));
      ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
      QFile out(file);
      ASSERT_TRUE(out.open(QIODevice::WriteOnly));
      out.write(content);
      out.close();
      if (!QString::fromLatin1(path).endsWith(QLatin1String("32")))
        out.setPermissions(out.permissions() | QFile::ExeOwner);
    }
    const QString wine = root.filePath(QString::fromLatin1(row.files.first().first));
    EXPECT_EQ(wine::Runs32Bit(wine), row.runs32Bit);
    // Reached through a link elsewhere, as /usr/bin/wine is on Debian.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(wine, elsewhere.filePath("wine")));
    EXPECT_EQ(wine::Runs32Bit(elsewhere.filePath("wine")), row.runs32Bit);
  }
}

// The installers' and games' Windows paths are the launcher's folders through the link.
TEST(WineTest, BoxFolderIsDriveCTarvexBox) {
  QTemporaryDir data;
  const QByteArray previous = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  const QString box = paths::BoxFolder();
  EXPECT_EQ(wine::WindowsPath(box + "games/hero/hero.exe", box), QStringLiteral("C:\\Tarvex\\Box\\games\\hero\\hero.exe"));
  EXPECT_EQ(wine::WindowsPath("/opt/other.exe", box), QStringLiteral("/opt/other.exe"));
  EXPECT_EQ(wine::FolderInPrefix(box + "games/hero"), paths::WinePrefixBox() + "/games/hero");
  EXPECT_EQ(wine::FolderInPrefix("/opt"), QStringLiteral("/opt"));

  ASSERT_TRUE(QDir().mkpath(box + "games/hero"));
  ASSERT_TRUE(QDir().mkpath(paths::WinePrefixBox()));  // an empty folder in the way
  ASSERT_TRUE(wine::LinkBox());
  EXPECT_EQ(QFileInfo(paths::WinePrefixBox() + "/games/hero").canonicalFilePath(),
            QFileInfo(box + "games/hero").canonicalFilePath());

  QProcessEnvironment base;
  base.insert("WINEDLLOVERRIDES", "d3d9=n");
  const QProcessEnvironment env = wine::Environment(base, "/somewhere");
  EXPECT_EQ(env.value("WINEDLLOVERRIDES"), QStringLiteral("d3d9=n;winemenubuilder.exe=d;mscoree=d;mshtml=d"));
  EXPECT_EQ(env.value("WINEPREFIX") + '/', paths::WinePrefix());
  EXPECT_EQ(env.value("PWD"), QStringLiteral("/somewhere"));
  qputenv("XDG_DATA_HOME", previous);
}

// A log that outgrew its cap keeps its newest whole lines, and a program still writing to it
// goes on writing to the log.
TEST(WineTest, ProgramLogKeepsItsLastMebibyteFromALineStart) {
  QTemporaryDir cache;
  const QByteArray previous = qgetenv("XDG_CACHE_HOME");
  qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
  const QString path = PrepareProgramLog("hero");
  ASSERT_EQ(path, paths::ProgramLog("hero"));
  QFile log(path);
  ASSERT_TRUE(log.open(QIODevice::WriteOnly));
  for (int line = 0; line < 30000; ++line) log.write(QByteArray::number(line).rightJustified(60, '.') + '\n');
  log.close();
  // A program of an earlier start still writes to it, as wine's programs do (appending).
  QFile writer(path);
  ASSERT_TRUE(writer.open(QIODevice::WriteOnly | QIODevice::Append));
  ASSERT_EQ(PrepareProgramLog("hero"), path);
  writer.write("still running\n");
  writer.close();
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray kept = log.readAll();
  EXPECT_LE(kept.size(), kProgramLogLimit + 14);
  EXPECT_GT(kept.size(), kProgramLogLimit - 62);
  EXPECT_TRUE(kept.startsWith("."));
  EXPECT_TRUE(kept.endsWith(".29999\nstill running\n"));
  qputenv("XDG_CACHE_HOME", previous);
}

}  // namespace
}  // namespace tarvex
