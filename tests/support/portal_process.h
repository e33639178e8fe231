#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace tarvex::testing {

// The reference portal, started on a free port of 127.0.0.1 for one test, with its request
// log in a temporary folder. Stopped when destroyed.
class PortalProcess {
 public:
  explicit PortalProcess(const QStringList& extraArguments = {});
  ~PortalProcess();

  bool IsUp() const { return !m_host.isEmpty(); }
  QString Host() const { return m_host; }
  // Every request logged so far, in order.
  QList<QJsonObject> Requests() const;
  // The raw request lines ("GET /x HTTP/1.0") of every request so far.
  QStringList RequestLines() const;
  // The targets (path and query) of every request so far.
  QStringList Targets() const;
  // How many requests so far had a target starting with `prefix`.
  int CountTargets(const QString& prefix) const;
  // Waits until a request's target satisfies `match`; returns whether one did.
  bool WaitForTarget(const std::function<bool(const QString&)>& match, int timeoutMs) const;
  void Stop();

 private:
  QTemporaryDir m_dir;
  QProcess m_process;
  QString m_host;
};

}  // namespace tarvex::testing
