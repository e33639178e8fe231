// A small Windows icon (.ico, 32 x 32, 32-bit) drawn for a game key: a coloured badge with
// a light ring, its colour taken from the key so that games look apart.
#pragma once

#include <string>

namespace portal {

class IconImage {
 public:
  static std::string ForKey(const std::string& key);
};

}  // namespace portal
