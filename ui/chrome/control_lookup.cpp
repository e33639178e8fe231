#include "ui/chrome/control_lookup.h"

#include <QVariant>
#include <QWidget>

namespace tarvex {
namespace {
constexpr char kControlIdProperty[] = "controlId";
}  // namespace

void SetControlId(QWidget* control, int id) { control->setProperty(kControlIdProperty, id); }

int ControlId(const QWidget* control) { return control->property(kControlIdProperty).toInt(); }

void SetControlRole(QWidget* control, const ControlRole& role) {
  control->setAccessibleName(QString::fromUtf8(role.name));
  control->setAccessibleDescription(QString::fromUtf8(role.english));
}

QWidget* FindControl(const QWidget* window, int id) {
  const auto children = window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (QWidget* child : children) {
    const QVariant value = child->property(kControlIdProperty);
    if (value.isValid() && value.toInt() == id) return child;
  }
  return nullptr;
}

}  // namespace tarvex
