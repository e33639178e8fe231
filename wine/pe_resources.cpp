#include "wine/pe_resources.h"

#include <QFile>

namespace tarvex::wine {
namespace {

// The DOS header's field that holds the PE header's offset, and how far in that may lie.
constexpr std::uint32_t kPeOffsetField = 0x3c;
constexpr std::uint32_t kLongestPeOffset = 64 * 1024;
constexpr std::uint32_t kCoffHeaderSize = 20;
constexpr std::uint32_t kSectionHeaderSize = 40;
// Windows loads no image with more sections than this.
constexpr std::uint32_t kMostSections = 96;
constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
// The resource table is the third data directory.
constexpr std::uint32_t kResourceDirectoryIndex = 2;

// The resource tree: type, name, language; then the data.
constexpr int kTreeLevels = 3;
constexpr std::uint32_t kDirectoryHeaderSize = 16;
constexpr std::uint32_t kEntrySize = 8;
constexpr std::uint32_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
// Entries read in all, over every directory: far more than any program has, and few enough
// that a tree whose directories point back at each other is read quickly.
constexpr int kMostEntries = 4096;
constexpr std::uint32_t kVersionType = 16;  // RT_VERSION

// Version resource blocks: length, value length, type, then the key in UTF-16.
constexpr qsizetype kBlockHeaderSize = 6;
constexpr qsizetype kLongestKey = 64;
constexpr int kMostChildren = 64;
constexpr int kMostTranslations = 64;

constexpr qint64 kResourcesReadLimit = 16 * 1024 * 1024;

// Little-endian reads that fail, instead of reading past the end, when the bytes stop.
class Bytes {
 public:
  explicit Bytes(QByteArrayView bytes) : m_bytes(bytes) {}

  qsizetype Size() const { return m_bytes.size(); }
  bool Has(std::uint64_t at, std::uint64_t size) const {
    return at <= std::uint64_t(m_bytes.size()) && size <= std::uint64_t(m_bytes.size()) - at;
  }
  std::optional<std::uint32_t> Read(std::uint64_t at, int size) const {
    if (!Has(at, std::uint64_t(size))) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(m_bytes[qsizetype(at) + i]);
    return value;
  }
  std::optional<std::uint32_t> U16(std::uint64_t at) const { return Read(at, 2); }
  std::optional<std::uint32_t> U32(std::uint64_t at) const { return Read(at, 4); }
  QByteArrayView Slice(std::uint64_t at, std::uint64_t size) const {
    return Has(at, size) ? m_bytes.sliced(qsizetype(at), qsizetype(size)) : QByteArrayView();
  }

 private:
  QByteArrayView m_bytes;
};

std::uint64_t AlignedTo4(std::uint64_t offset) { return (offset + 3) & ~std::uint64_t(3); }

// One block of a version resource, its key read and its parts located within it.
struct VersionBlock {
  QString key;
  QByteArrayView value;     // as many bytes as the block says, when they are within it
  QByteArrayView children;  // the rest of the block after the value, aligned
  qsizetype length = 0;
};

std::optional<VersionBlock> ReadVersionBlock(QByteArrayView where) {
  const Bytes bytes(where);
  const auto length = bytes.U16(0);
  const auto valueLength = bytes.U16(2);
  const auto type = bytes.U16(4);
  if (!length || !valueLength || !type || *length < kBlockHeaderSize || *length > bytes.Size()) return std::nullopt;
  const Bytes block(where.first(*length));
  VersionBlock read;
  read.length = *length;
  std::uint64_t at = kBlockHeaderSize;
  for (;; at += 2) {
    const auto unit = block.U16(at);
    if (!unit || read.key.size() > kLongestKey) return std::nullopt;
    if (*unit == 0) break;
    read.key += QChar(char16_t(*unit));
  }
  at = AlignedTo4(at + 2);
  // A text value's length counts UTF-16 units, a binary one's bytes.
  const std::uint64_t valueBytes = *type == 1 ? std::uint64_t(*valueLength) * 2 : *valueLength;
  if (at > std::uint64_t(*length)) return read;
  if (block.Has(at, valueBytes)) read.value = block.Slice(at, valueBytes);
  const std::uint64_t childrenAt = std::min<std::uint64_t>(AlignedTo4(at + valueBytes), *length);
  read.children = where.sliced(qsizetype(childrenAt), *length - qsizetype(childrenAt));
  return read;
}

// The child blocks of a block, in order; reading stops at the first that does not hold
// together.
QList<VersionBlock> ReadChildren(QByteArrayView children) {
  QList<VersionBlock> blocks;
  qsizetype at = 0;
  while (at < children.size() && blocks.size() < kMostChildren) {
    const auto block = ReadVersionBlock(children.sliced(at));
    if (!block) break;
    blocks.append(*block);
    at = qsizetype(std::min<std::uint64_t>(AlignedTo4(std::uint64_t(at) + block->length), children.size()));
  }
  return blocks;
}

// VS_VERSIONINFO -> VarFileInfo -> Translation: pairs of language id and code page.
QList<LanguageId> ReadTranslations(QByteArrayView version) {
  QList<LanguageId> languages;
  const auto root = ReadVersionBlock(version);
  if (!root || root->key != QLatin1String("VS_VERSION_INFO")) return languages;
  for (const VersionBlock& info : ReadChildren(root->children)) {
    if (info.key != QLatin1String("VarFileInfo")) continue;
    for (const VersionBlock& var : ReadChildren(info.children)) {
      if (var.key != QLatin1String("Translation")) continue;
      const Bytes table(var.value);
      for (qsizetype at = 0; at + 4 <= table.Size() && languages.size() < kMostTranslations; at += 4)
        languages.append(LanguageId(*table.U16(at)));
    }
  }
  return languages;
}

// Walks the resource tree, counting its leaves' languages and reading the first version
// resource that has a translation.
class ResourceTree {
 public:
  ResourceTree(QByteArrayView bytes, std::uint32_t rva) : m_bytes(bytes), m_rva(rva) {}

  ProgramLanguages Read() {
    ReadDirectory(0, 0, 0);
    return m_languages;
  }

 private:
  // `level` 0 is the types, 1 the names, 2 the languages; `type` is the entry's at level 0.
  void ReadDirectory(std::uint32_t offset, int level, std::uint32_t type) {
    const auto named = m_bytes.U16(std::uint64_t(offset) + 12);
    const auto numbered = m_bytes.U16(std::uint64_t(offset) + 14);
    if (!named || !numbered) return;
    const std::uint32_t entries = *named + *numbered;
    for (std::uint32_t i = 0; i < entries && m_entriesLeft > 0; ++i, --m_entriesLeft) {
      const std::uint64_t entry = std::uint64_t(offset) + kDirectoryHeaderSize + std::uint64_t(i) * kEntrySize;
      const auto name = m_bytes.U32(entry);
      const auto target = m_bytes.U32(entry + 4);
      if (!name || !target) return;
      const bool isDirectory = (*target & kHighBit) != 0;
      const std::uint32_t at = *target & ~kHighBit;
      if (level + 1 < kTreeLevels) {
        if (isDirectory) ReadDirectory(at, level + 1, level == 0 ? *name : type);
      } else if (!isDirectory && (*name & kHighBit) == 0) {
        ReadLeaf(at, LanguageId(*name), type);
      }
    }
  }

  void ReadLeaf(std::uint32_t dataEntry, LanguageId language, std::uint32_t type) {
    if (!m_bytes.Has(dataEntry, kDataEntrySize)) return;
    ++m_languages.resources[language];
    if (type != kVersionType || !m_languages.translations.isEmpty()) return;
    const std::uint32_t dataRva = *m_bytes.U32(dataEntry);
    const std::uint32_t size = *m_bytes.U32(std::uint64_t(dataEntry) + 4);
    // An address below the resources wraps round to one far past them.
    const QByteArrayView data = m_bytes.Slice(std::uint32_t(dataRva - m_rva), size);
    if (!data.isEmpty()) m_languages.translations = ReadTranslations(data);
  }

  const Bytes m_bytes;
  const std::uint32_t m_rva;
  int m_entriesLeft = kMostEntries;
  ProgramLanguages m_languages;
};

}  // namespace

std::optional<ResourceSpan> FindResources(QByteArrayView headers) {
  const Bytes bytes(headers);
  if (!headers.startsWith("MZ")) return std::nullopt;
  const auto peAt = bytes.U32(kPeOffsetField);
  if (!peAt || *peAt > kLongestPeOffset || bytes.Slice(*peAt, 4) != QByteArrayView("PE\0\0", 4)) return std::nullopt;
  const std::uint64_t coff = std::uint64_t(*peAt) + 4;
  const auto sections = bytes.U16(coff + 2);
  const auto optionalSize = bytes.U16(coff + 16);
  const std::uint64_t optional = coff + kCoffHeaderSize;
  const auto magic = bytes.U16(optional);
  if (!sections || !optionalSize || !magic || *sections > kMostSections) return std::nullopt;
  // The data directories follow the fields both kinds share and those whose size differs.
  std::uint64_t countField = 0;
  if (*magic == kPe32Magic) countField = 92;
  else if (*magic == kPe32PlusMagic) countField = 108;
  else return std::nullopt;
  const auto directories = bytes.U32(optional + countField);
  const std::uint64_t resourceEntry = optional + countField + 4 + kResourceDirectoryIndex * 8;
  if (!directories || *directories <= kResourceDirectoryIndex || resourceEntry + 8 > optional + *optionalSize)
    return std::nullopt;
  const auto rva = bytes.U32(resourceEntry);
  const auto size = bytes.U32(resourceEntry + 4);
  if (!rva || !size || *rva == 0 || *size == 0) return std::nullopt;
  const std::uint64_t table = optional + *optionalSize;
  for (std::uint32_t i = 0; i < *sections; ++i) {
    const std::uint64_t section = table + std::uint64_t(i) * kSectionHeaderSize;
    const auto virtualSize = bytes.U32(section + 8);
    const auto address = bytes.U32(section + 12);
    const auto rawSize = bytes.U32(section + 16);
    const auto rawAt = bytes.U32(section + 20);
    if (!virtualSize || !address || !rawSize || !rawAt) return std::nullopt;
    // The section as the file holds it: a virtual size of 0 means the raw size.
    const std::uint32_t extent = *virtualSize == 0 ? *rawSize : std::min(*virtualSize, *rawSize);
    if (*rva < *address || *rva - *address >= extent) continue;
    const std::uint32_t into = *rva - *address;
    if (std::uint64_t(*rawAt) + into > 0xffffffffu) return std::nullopt;
    return ResourceSpan{*rawAt + into, extent - into, *rva};
  }
  return std::nullopt;
}

ProgramLanguages ReadResourceLanguages(QByteArrayView bytes, std::uint32_t rva) {
  return ResourceTree(bytes, rva).Read();
}

ProgramLanguages ReadProgramLanguages(QByteArrayView image) {
  const auto span = FindResources(image);
  if (!span || span->fileOffset >= std::uint64_t(image.size())) return {};
  const qsizetype available = std::min<qsizetype>(span->size, image.size() - span->fileOffset);
  return ReadResourceLanguages(image.sliced(span->fileOffset, available), span->rva);
}

ProgramLanguages ProgramLanguagesOf(const QString& file) {
  QFile program(file);
  if (!program.open(QIODevice::ReadOnly)) return {};
  const auto span = FindResources(program.read(kPeHeadersLimit));
  if (!span || !program.seek(span->fileOffset)) return {};
  return ReadResourceLanguages(program.read(std::min<qint64>(span->size, kResourcesReadLimit)), span->rva);
}

}  // namespace tarvex::wine
