#include "wine/program_log.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tarvex {

QString PrepareProgramLog(const QString& gameKey) {
  if (!QDir().mkpath(paths::ProgramLogFolder())) return QString();
  const QString path = paths::ProgramLog(gameKey);
  QFile log(path);
  if (log.size() <= kProgramLogLimit || !log.open(QIODevice::ReadOnly)) return path;
  log.seek(log.size() - kProgramLogLimit);
  QByteArray tail = log.readAll();
  log.close();
  // The first line is most likely cut: it goes.
  const qsizetype lineEnd = tail.indexOf('\n');
  if (lineEnd >= 0) tail.remove(0, lineEnd + 1);
  QSaveFile trimmed(path);
  if (trimmed.open(QIODevice::WriteOnly)) {
    trimmed.write(tail);
    trimmed.commit();
  }
  return path;
}

}  // namespace tarvex
