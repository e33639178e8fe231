#pragma once

#include <QString>

namespace tarvex {

// Whether `address` is an http or https address with a host: the only kind that may leave
// the launcher, or that a pop-up may load into a launcher window.
bool IsWebAddress(const QString& address);

}  // namespace tarvex
