#pragma once

#include <QByteArrayView>
#include <QString>

namespace tarvex {

// Which processor a Windows program (a PE file) is built for, as its headers say.
enum class WindowsMachine {
  None,   // not a Windows program: no "MZ"
  X86,    // 32-bit: needs 32-bit wine
  X64,
  Other,  // a PE file for another processor (ARM, Itanium ...)
};

// Reads the machine field of a PE file from its first bytes (the DOS header and the PE
// header it points to). A file that starts with "MZ" but has no PE header where the DOS
// header points is an old DOS program or damaged: Other, for wine to judge.
WindowsMachine ReadWindowsMachine(QByteArrayView head);

// The same for a file; None when it cannot be read.
WindowsMachine WindowsMachineOf(const QString& file);

}  // namespace tarvex
