#include "install/file_name_rules.h"

#include <algorithm>

namespace tarvex {
namespace {

bool HasSlashOrControl(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) {
    return c == QLatin1Char('/') || c.category() == QChar::Other_Control;
  });
}

bool IsDotName(const QString& text) { return text == QLatin1String(".") || text == QLatin1String(".."); }

}  // namespace

bool IsAcceptableGameKey(const QString& key) {
  return !HasSlashOrControl(key) && !key.contains(QLatin1Char('\\')) && !IsDotName(key);
}

bool IsSingleFileName(const QString& name) {
  return !name.isEmpty() && !HasSlashOrControl(name) && !IsDotName(name);
}

}  // namespace tarvex
