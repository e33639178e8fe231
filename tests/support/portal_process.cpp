#include "support/portal_process.h"

#include "support/wait.h"

#include <QFile>
#include <QJsonDocument>

namespace tarvex::testing {

PortalProcess::PortalProcess(const QStringList& extraArguments) {
  m_process.setProgram(QStringLiteral(TARVEX_PORTAL_EXE));
  m_process.setArguments(QStringList{"--port", "0", "--log", m_dir.filePath("requests.log")} + extraArguments);
  m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  m_process.start();
  if (!m_process.waitForStarted(10000)) return;
  while (m_process.waitForReadyRead(10000)) {
    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    const qsizetype at = line.indexOf(QLatin1String("127.0.0.1:"));
    if (at >= 0) {
      m_host = line.mid(at);
      break;
    }
  }
}

PortalProcess::~PortalProcess() { Stop(); }

void PortalProcess::Stop() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.terminate();
  if (!m_process.waitForFinished(5000)) {
    m_process.kill();
    m_process.waitForFinished(5000);
  }
}

QList<QJsonObject> PortalProcess::Requests() const {
  QList<QJsonObject> requests;
  QFile log(m_dir.filePath("requests.log"));
  if (!log.open(QIODevice::ReadOnly)) return requests;
  for (const QByteArray& line : log.readAll().split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    requests.append(QJsonDocument::fromJson(line).object());
  }
  return requests;
}

QStringList PortalProcess::RequestLines() const {
  QStringList lines;
  for (const QJsonObject& request : Requests()) lines.append(request.value("request_line").toString());
  return lines;
}

QStringList PortalProcess::Targets() const {
  QStringList targets;
  for (const QString& line : RequestLines()) targets.append(line.section(QLatin1Char(' '), 1, 1));
  return targets;
}

int PortalProcess::CountTargets(const QString& prefix) const {
  int count = 0;
  for (const QString& target : Targets()) count += target.startsWith(prefix) ? 1 : 0;
  return count;
}

bool PortalProcess::WaitForTarget(const std::function<bool(const QString&)>& match, int timeoutMs) const {
  return WaitUntil(
      [&] {
        for (const QString& target : Targets())
          if (match(target)) return true;
        return false;
      },
      timeoutMs);
}

}  // namespace tarvex::testing
