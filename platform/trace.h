#pragma once

#include <QLoggingCategory>
#include <QString>

// Step traces of the launcher. Off unless QT_LOGGING_RULES enables "tarvex.trace.debug=true";
// the texts are written exactly as given (dashes, line breaks and trailing characters included).
Q_DECLARE_LOGGING_CATEGORY(lcTarvexTrace)

namespace tarvex {

void Trace(const QString& text);

// Writes `pattern` with its single "%s" replaced by `argument`.
void TraceFormat(const QString& pattern, const QString& argument);

}  // namespace tarvex
