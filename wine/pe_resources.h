#pragma once

#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>
#include <optional>

// The languages a Windows program (a PE file, 32- or 64-bit) states in its resources. The
// files come from the network: every offset and size is checked against the bytes there
// are, the resource tree is read to its three levels only and to a bounded number of
// entries, and whatever does not hold together is left out rather than guessed at.
namespace tarvex::wine {

// A Windows language id (LANGID): the primary language in the low ten bits, the
// sublanguage above them (0x0412 Korean, 0x0404 Chinese as in Taiwan).
using LanguageId = std::uint16_t;

struct ProgramLanguages {
  // The languages of the version resource's translation table (VarFileInfo\Translation),
  // in the program's own order.
  QList<LanguageId> translations;
  // Each language the program's resources are in, with how many resources are in it.
  QMap<LanguageId, int> resources;

  bool operator==(const ProgramLanguages&) const = default;
};

// Where a PE image's resources lie: `size` bytes from `fileOffset` in the file, which the
// program sees at address `rva` (relative to its base), from the resource directory to
// the end of the section that holds it.
struct ResourceSpan {
  std::uint32_t fileOffset = 0;
  std::uint32_t size = 0;
  std::uint32_t rva = 0;
};

// The bytes a PE file's headers take at most, section table included: what
// FindResources needs to see of the file's start.
inline constexpr qsizetype kPeHeadersLimit = 160 * 1024;

// Finds the resources from the start of a PE file (its headers). None for a file that is
// no PE file, has no resources, or whose headers do not add up.
std::optional<ResourceSpan> FindResources(QByteArrayView headers);

// Reads the languages from the resource bytes of a span (`bytes` may stop short of the
// span's size: what lies beyond is not read). `rva` is the span's.
ProgramLanguages ReadResourceLanguages(QByteArrayView bytes, std::uint32_t rva);

// Both at once, over a whole PE file.
ProgramLanguages ReadProgramLanguages(QByteArrayView image);

// The same for a file, of which the headers and at most the first 16 MiB of the resources
// are read. Nothing when the file cannot be read.
ProgramLanguages ProgramLanguagesOf(const QString& file);

}  // namespace tarvex::wine
