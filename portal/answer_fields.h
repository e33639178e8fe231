#pragma once

#include <QMap>
#include <QString>

namespace tarvex {

// Reads the portal's flat answer object ({"code":1,"url":"..."}) without a JSON parser:
// every '"', '{' and '}' is deleted, the rest is cut at every ',', and each segment is
// split at its first ':' into key and value (segments without ':' go under the empty
// key). Later keys replace earlier ones; nothing is trimmed or unescaped.
QMap<QString, QString> ParseAnswerFields(const QString& text);

}  // namespace tarvex
