#pragma once

#include <QString>

namespace tarvex {

// The field `index` (counting from 0) of `text` split at every '/', or the empty text
// when there are fewer fields. For "http://host/a" field 0 is "http:", field 1 the empty
// text between the slashes, field 2 the host.
QString AddressField(const QString& text, int index);

}  // namespace tarvex
