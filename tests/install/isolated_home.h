#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace tarvex::testing {

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object,
// with an existing desktop folder; restores the previous values afterwards.
class IsolatedHome {
 public:
  IsolatedHome() {
    EXPECT_TRUE(m_dir.isValid());
    for (auto& [name, saved] : m_saved) saved = qgetenv(name);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toLocal8Bit());
    QDir(m_dir.path()).mkpath(QStringLiteral("Desktop"));
  }
  ~IsolatedHome() {
    for (const auto& [name, saved] : m_saved) {
      if (saved.isNull()) qunsetenv(name);
      else qputenv(name, saved);
    }
  }
  IsolatedHome(const IsolatedHome&) = delete;
  IsolatedHome& operator=(const IsolatedHome&) = delete;

  QString Path() const { return m_dir.path(); }
  QString Desktop() const { return m_dir.path() + QStringLiteral("/Desktop/"); }

 private:
  QTemporaryDir m_dir;
  std::array<std::pair<const char*, QByteArray>, 4> m_saved{
      {{"HOME", {}}, {"XDG_DATA_HOME", {}}, {"XDG_CACHE_HOME", {}}, {"XDG_CONFIG_HOME", {}}}};
};

}  // namespace tarvex::testing
