#include "platform/trace.h"

Q_LOGGING_CATEGORY(lcTarvexTrace, "tarvex.trace", QtWarningMsg)

namespace tarvex {

void Trace(const QString& text) {
  qCDebug(lcTarvexTrace).noquote().nospace() << text;
}

void TraceFormat(const QString& pattern, const QString& argument) {
  QString text = pattern;
  const qsizetype at = text.indexOf(QStringLiteral("%s"));
  if (at >= 0) text.replace(at, 2, argument);
  Trace(text);
}

}  // namespace tarvex
