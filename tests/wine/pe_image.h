#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// Small PE images made in the test: a DOS header, PE headers of either kind, one .rsrc
// section at file offset 0x400 holding a resource tree of the leaves given.
namespace tarvex::testing {

inline void PutLe(QByteArray& bytes, qsizetype at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

inline void AppendLe(QByteArray& bytes, std::uint32_t value, int size) {
  bytes += QByteArray(size, '\0');
  PutLe(bytes, bytes.size() - size, value, size);
}

inline void PadTo4(QByteArray& bytes) {
  while (bytes.size() % 4) bytes += '\0';
}

// A version resource block: key, value (text: `type` 1), then the children, each aligned.
inline QByteArray VersionBlock(const QString& key, std::uint16_t type, const QByteArray& value,
                               const QList<QByteArray>& children = {}) {
  QByteArray block(6, '\0');
  for (const QChar unit : key) AppendLe(block, unit.unicode(), 2);
  AppendLe(block, 0, 2);
  PadTo4(block);
  block += value;
  for (const QByteArray& child : children) {
    PadTo4(block);
    block += child;
  }
  PutLe(block, 0, std::uint32_t(block.size()), 2);
  PutLe(block, 2, std::uint32_t(type == 1 ? value.size() / 2 : value.size()), 2);
  PutLe(block, 4, type, 2);
  return block;
}

// VS_VERSIONINFO whose translation table lists `languages` (with code page 1200 each).
inline QByteArray VersionResource(const QList<std::uint16_t>& languages) {
  QByteArray table;
  for (const std::uint16_t language : languages) {
    AppendLe(table, language, 2);
    AppendLe(table, 1200, 2);
  }
  QByteArray fixed(52, '\0');
  PutLe(fixed, 0, 0xfeef04bd, 4);
  const QByteArray strings = VersionBlock("StringFileInfo", 1, {});
  const QByteArray var = VersionBlock("VarFileInfo", 1, {}, {VersionBlock("Translation", 0, table)});
  return VersionBlock("VS_VERSION_INFO", 0, fixed, {strings, var});
}

struct ResourceLeaf {
  std::uint32_t type;
  std::uint32_t name;
  std::uint16_t language;
  QByteArray data;
};

inline constexpr std::uint32_t kResourceRva = 0x3000;
inline constexpr std::uint32_t kSectionFileOffset = 0x400;

// The resource tree of `leaves`, in their order: a type directory per leaf, then a name
// directory, then the language, as tools lay out one resource of each type.
inline QByteArray ResourceSection(const QList<ResourceLeaf>& leaves, std::uint32_t rva = kResourceRva) {
  QByteArray section;
  auto directory = [&section](int entries) {
    const qsizetype at = section.size();
    section += QByteArray(16, '\0');
    PutLe(section, at + 14, std::uint32_t(entries), 2);
    section += QByteArray(entries * 8, '\0');
    return at;
  };
  auto entry = [&section](qsizetype directoryAt, int index, std::uint32_t id, std::uint32_t target) {
    PutLe(section, directoryAt + 16 + index * 8, id, 4);
    PutLe(section, directoryAt + 16 + index * 8 + 4, target, 4);
  };
  const qsizetype root = directory(int(leaves.size()));
  QList<qsizetype> dataEntries;
  for (int i = 0; i < leaves.size(); ++i) {
    const qsizetype names = directory(1);
    entry(root, i, leaves[i].type, 0x80000000u | std::uint32_t(names));
    const qsizetype languages = directory(1);
    entry(names, 0, leaves[i].name, 0x80000000u | std::uint32_t(languages));
    dataEntries.append(section.size());
    section += QByteArray(16, '\0');
    entry(languages, 0, leaves[i].language, std::uint32_t(dataEntries.last()));
  }
  for (int i = 0; i < leaves.size(); ++i) {
    PadTo4(section);
    PutLe(section, dataEntries[i], rva + std::uint32_t(section.size()), 4);
    PutLe(section, dataEntries[i] + 4, std::uint32_t(leaves[i].data.size()), 4);
    section += leaves[i].data;
  }
  return section;
}

// A PE image (PE32+ when `wide`) whose only section is `section`, as resources at
// kResourceRva.
inline QByteArray PeImage(const QByteArray& section, bool wide = true) {
  QByteArray image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PutLe(image, 0x3c, 0x40, 4);
  image += QByteArray("PE\0\0", 4);
  const int optionalSize = (wide ? 112 : 96) + 16 * 8;
  AppendLe(image, wide ? 0x8664 : 0x14c, 2);
  AppendLe(image, 1, 2);  // sections
  image += QByteArray(12, '\0');
  AppendLe(image, std::uint32_t(optionalSize), 2);
  AppendLe(image, 0x22, 2);
  const qsizetype optional = image.size();
  image += QByteArray(optionalSize, '\0');
  PutLe(image, optional, wide ? 0x20b : 0x10b, 2);
  const qsizetype directories = optional + (wide ? 108 : 92);
  PutLe(image, directories, 16, 4);
  PutLe(image, directories + 4 + 2 * 8, kResourceRva, 4);
  PutLe(image, directories + 4 + 2 * 8 + 4, std::uint32_t(section.size()), 4);
  QByteArray header(40, '\0');
  header.replace(0, 5, ".rsrc");
  PutLe(header, 8, std::uint32_t(section.size()), 4);
  PutLe(header, 12, kResourceRva, 4);
  PutLe(header, 16, std::uint32_t(section.size()), 4);
  PutLe(header, 20, kSectionFileOffset, 4);
  image += header;
  image += QByteArray(kSectionFileOffset - image.size(), '\0');
  return image + section;
}

// A game as East Asian games come: a version resource of `language`, an icon and a dialog.
inline QByteArray ProgramOfLanguage(std::uint16_t language, bool wide = true) {
  return PeImage(ResourceSection({{3, 1, language, QByteArray(40, 'i')},
                                  {5, 100, language, QByteArray(24, 'd')},
                                  {16, 1, language, VersionResource({language})}}),
                 wide);
}

}  // namespace tarvex::testing
