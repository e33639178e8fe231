#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <stdlib.h>

// What every fuzz target shares: turning the input into text and stopping loudly when an
// invariant breaks (libFuzzer keeps the input that made it stop).
namespace tarvex::fuzz {

inline QString Utf8Text(const uint8_t* data, size_t size) {
  return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

[[noreturn]] inline void Fail(const char* what, const QString& detail) {
  std::fprintf(stderr, "invariant broken: %s\n  %s\n", what, detail.toUtf8().constData());
  std::abort();
}

// Points HOME and the XDG folders at a fresh folder of its own for the rest of the run,
// removed when the fuzzer ends.
inline QString UsePrivateHome() {
  static char folder[] = "/tmp/tarvex-fuzz-XXXXXX";
  if (::mkdtemp(folder) == nullptr) std::abort();
  for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
    ::setenv(variable, folder, 1);
  ::unsetenv("XDG_DESKTOP_DIR");
  std::atexit([] { QDir(QString::fromLocal8Bit(folder)).removeRecursively(); });
  return QString::fromLocal8Bit(folder);
}

// Whether `path`, with "." and ".." resolved, names an entry directly inside `folder`.
inline bool IsDirectlyInside(const QString& path, const QString& folder) {
  const QString clean = QDir::cleanPath(path);
  const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
  return slash > 0 && clean.left(slash) == QDir::cleanPath(folder) && slash + 1 < clean.size();
}

}  // namespace tarvex::fuzz

#define TARVEX_FUZZ_REQUIRE(condition, detail) \
  do {                                          \
    if (!(condition)) ::tarvex::fuzz::Fail(#condition, (detail)); \
  } while (false)
