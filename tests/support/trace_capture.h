#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>

#include <cstring>

namespace tarvex::testing {

// Collects the launcher's step traces while it exists.
class TraceCapture {
 public:
  TraceCapture() {
    QLoggingCategory::setFilterRules(QStringLiteral("tarvex.trace.debug=true"));
    s_current = this;
    m_previous = qInstallMessageHandler(&Handle);
  }
  ~TraceCapture() {
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
    QLoggingCategory::setFilterRules(QString());
  }

  QStringList Lines() const {
    const QMutexLocker guard(&m_lock);
    return m_lines;
  }

 private:
  static void Handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (s_current == nullptr || context.category == nullptr || std::strcmp(context.category, "tarvex.trace") != 0)
      return;
    const QMutexLocker guard(&s_current->m_lock);
    s_current->m_lines.append(message);
  }

  static inline TraceCapture* s_current = nullptr;
  QtMessageHandler m_previous = nullptr;
  mutable QMutex m_lock;
  QStringList m_lines;
};

}  // namespace tarvex::testing
