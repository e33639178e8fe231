#include "wine/program_log.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvex {
namespace {

QString PrepareLog(const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).path())) return QString();
  QFile log(path);
  if (log.size() <= kProgramLogLimit || !log.open(QIODevice::ReadWrite)) return path;
  log.seek(log.size() - kProgramLogLimit);
  QByteArray tail = log.read(kProgramLogLimit);
  // The first line is most likely cut: it goes.
  const qsizetype lineEnd = tail.indexOf('\n');
  if (lineEnd >= 0) tail.remove(0, lineEnd + 1);
  // In place: the programs write with O_APPEND, so once the file is shorter they go on at
  // its new end.
  log.seek(0);
  log.write(tail);
  log.resize(tail.size());
  return path;
}

}  // namespace

QString PrepareProgramLog(const QString& gameKey) { return PrepareLog(paths::ProgramLog(gameKey)); }

QString PreparePrefixLog() { return PrepareLog(paths::PrefixLog()); }

}  // namespace tarvex
