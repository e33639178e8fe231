#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tarvex::testing {

// Points HOME and the XDG folders of this process (and of every process it starts) at a
// fresh temporary folder, so tests never touch the user's files or a real profile.
class TestEnvironment {
 public:
  TestEnvironment();

  QString Root() const { return m_dir.path(); }
  QString DataHome() const { return Root() + QStringLiteral("/data"); }
  QString CacheHome() const { return Root() + QStringLiteral("/cache"); }
  QString RuntimeDir() const { return Root() + QStringLiteral("/run"); }
  QString Home() const { return Root() + QStringLiteral("/home"); }

 private:
  QTemporaryDir m_dir;
};

// The engine needs these before the first page exists: no sandbox (tests run as root),
// scale 1, and no GPU under the virtual X server.
void PrepareBrowserEnvironment();

}  // namespace tarvex::testing
