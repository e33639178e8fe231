#include "wine/pe_resources.h"

#include "wine/pe_image.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex::wine {
namespace {

using testing::PeImage;
using testing::PutLe;
using testing::ResourceSection;
using testing::VersionResource;

// Where the resource directory's first entry lies in an image made by PeImage.
constexpr qsizetype kFirstEntry = testing::kSectionFileOffset + 16;
constexpr qsizetype kOptionalHeader = 0x40 + 24;

QByteArray KoreanGame() { return testing::ProgramOfLanguage(0x412); }

QByteArray WithLe(QByteArray image, qsizetype at, std::uint32_t value, int size = 4) {
  PutLe(image, at, value, size);
  return image;
}

TEST(PeResourcesTest, LanguagesComeFromTheVersionAndTheResourceTree) {
  const ProgramLanguages korean{{0x412}, {{0x412, 3}}};
  const QByteArray game = KoreanGame();
  const QByteArray versionData = VersionResource({0x412});
  const qsizetype versionAt = game.indexOf(versionData);
  ASSERT_GT(versionAt, 0);
  // The version's data entry: its address and size.
  QByteArray entry;
  testing::AppendLe(entry, testing::kResourceRva + std::uint32_t(versionAt - testing::kSectionFileOffset), 4);
  testing::AppendLe(entry, std::uint32_t(versionData.size()), 4);
  const qsizetype versionEntry = game.indexOf(entry);
  ASSERT_GT(versionEntry, 0);
  // A root directory whose entry leads back to itself, at every level.
  const QByteArray looping = WithLe(WithLe(game, kFirstEntry + 4, 0x80000000u), testing::kSectionFileOffset + 14, 1, 2);
  const struct {
    const char* name;
    QByteArray image;
    ProgramLanguages languages;
  } rows[] = {
      {"PE32+", game, korean},
      {"PE32", testing::ProgramOfLanguage(0x412, false), korean},
      {"translations in order",
       PeImage(ResourceSection({{16, 1, 0x409, VersionResource({0x409, 0x404})}})), {{0x409, 0x404}, {{0x409, 1}}}},
      {"no version resource", PeImage(ResourceSection({{3, 1, 0x804, "a"}, {3, 2, 0x804, "b"}, {6, 1, 0x409, "c"}})),
       {{}, {{0x804, 2}, {0x409, 1}}}},
      {"cut before the version's data", game.first(versionAt + 8), {{}, {{0x412, 3}}}},
      {"cut in the directory", game.first(kFirstEntry + 10), {}},
      {"headers only", game.first(testing::kSectionFileOffset), {}},
      {"a directory that leads back to the root", looping, {}},
      {"version block longer than its data", WithLe(game, versionAt, 0xfff0, 2), {{}, {{0x412, 3}}}},
      {"version data below the resources", WithLe(game, versionEntry, testing::kResourceRva - 0x100), {{}, {{0x412, 3}}}},
      {"resources outside every section", WithLe(game, kOptionalHeader + 128, 0x9000), {}},
      {"unknown optional header", WithLe(game, kOptionalHeader, 0x107, 2), {}},
      {"PE header past the file", WithLe(game, 0x3c, 0x10000), {}},
      {"DOS program", QByteArray("MZ") + QByteArray(300, '\x01'), {}},
      {"ELF program", QByteArray("\x7f" "ELF\x02\x01\x01") + QByteArray(100, '\0'), {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramLanguages read = ReadProgramLanguages(row.image);
    EXPECT_EQ(read.translations, row.languages.translations);
    EXPECT_EQ(read.resources, row.languages.resources);
  }
}

TEST(PeResourcesTest, FileIsReadFromItsHeadersAndResources) {
  QTemporaryDir folder;
  const QString path = folder.filePath("game.exe");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(KoreanGame());
  file.close();
  EXPECT_EQ(ProgramLanguagesOf(path), ReadProgramLanguages(KoreanGame()));
  EXPECT_EQ(ProgramLanguagesOf(folder.filePath("missing.exe")), ProgramLanguages());
}

}  // namespace
}  // namespace tarvex::wine
