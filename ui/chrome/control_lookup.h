#pragma once

class QWidget;

namespace tarvex {

// Every control of a window carries its integer id, so windows, their layout passes and
// tests find controls by id as the windows' command tables name them.
void SetControlId(QWidget* control, int id);
// The control's id; 0 when it has none.
int ControlId(const QWidget* control);
// The direct child of `window` with that id, or null.
QWidget* FindControl(const QWidget* window, int id);

// What a bitmap control does, for screen readers and automation: its name in the system's
// language (Korean, UTF-8) and in English, which become its accessible name and
// description. Nothing on screen changes.
struct ControlRole {
  const char* name;
  const char* english;
};
void SetControlRole(QWidget* control, const ControlRole& role);

}  // namespace tarvex
