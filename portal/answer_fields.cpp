#include "portal/answer_fields.h"

#include <QStringList>

namespace tarvex {

QMap<QString, QString> ParseAnswerFields(const QString& text) {
  QString flat = text;
  flat.remove(QLatin1Char('"')).remove(QLatin1Char('{')).remove(QLatin1Char('}'));
  QMap<QString, QString> fields;
  for (const QString& segment : flat.split(QLatin1Char(','))) {
    const qsizetype colon = segment.indexOf(QLatin1Char(':'));
    if (colon < 0)
      fields.insert(QString(), segment);
    else
      fields.insert(segment.left(colon), segment.mid(colon + 1));
  }
  return fields;
}

}  // namespace tarvex
