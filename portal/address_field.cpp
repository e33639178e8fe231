#include "portal/address_field.h"

#include <QStringList>

namespace tarvex {

QString AddressField(const QString& text, int index) {
  const QStringList fields = text.split(QLatin1Char('/'));
  return index >= 0 && index < fields.size() ? fields.at(index) : QString();
}

}  // namespace tarvex
