#pragma once

#include <cctype>
#include <string>

namespace tarvex::testing {

// A parameterised case's name as the test list shows it (gtest takes letters, digits and
// '_' only): every other character becomes '_'; an empty text is "empty".
inline std::string ParamName(std::string text) {
  if (text.empty()) return "empty";
  for (char& c : text)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return text;
}

}  // namespace tarvex::testing
