#include "wine/windows_program.h"

#include <QFile>

#include <cstdint>

namespace tarvex {
namespace {

// Where the DOS header keeps the offset of the PE header.
constexpr qsizetype kPeOffsetField = 0x3c;
// PE headers lie within the first few kilobytes; a larger offset is no PE file.
constexpr std::uint32_t kLongestPeOffset = 64 * 1024;
constexpr std::uint16_t kMachineI386 = 0x014c;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

std::uint32_t LittleEndian(QByteArrayView bytes, qsizetype at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

WindowsMachine ReadWindowsMachine(QByteArrayView head) {
  if (!head.startsWith("MZ")) return WindowsMachine::None;
  if (head.size() < kPeOffsetField + 4) return WindowsMachine::Other;
  const std::uint32_t peAt = LittleEndian(head, kPeOffsetField, 4);
  if (peAt > kLongestPeOffset || head.size() < qsizetype(peAt) + 6 ||
      head.sliced(peAt, 4) != QByteArrayView("PE\0\0", 4))
    return WindowsMachine::Other;
  switch (LittleEndian(head, peAt + 4, 2)) {
    case kMachineI386:
      return WindowsMachine::X86;
    case kMachineAmd64:
      return WindowsMachine::X64;
    default:
      return WindowsMachine::Other;
  }
}

WindowsMachine WindowsMachineOf(const QString& file) {
  QFile program(file);
  if (!program.open(QIODevice::ReadOnly)) return WindowsMachine::None;
  return ReadWindowsMachine(program.read(kLongestPeOffset + 6));
}

}  // namespace tarvex
