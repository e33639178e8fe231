#pragma once

#include <QString>

namespace tarvex {

// Makes a value safe to insert into a request target: its UTF-8 bytes below 0x21 or
// above 0x7E, and '#', become %XX; printable ASCII passes unchanged, so an ordinary
// token is sent exactly as written, while a line break or blank can no longer end the
// request line and a '#' can no longer cut off the rest of the query.
QString EncodeTargetValue(const QString& value);

}  // namespace tarvex
