#include "wine/font_replacements.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex::wine {
namespace {

QString ReplacementOf(const QString& face) {
  for (const FontReplacement& replacement : FontReplacements()) {
    if (replacement.face == face) return replacement.replacement;
  }
  return QString();
}

// Each face goes to the Noto face of its language and kind, by either of its names.
TEST(FontReplacementsTest, FacesGoToTheNotoFaceOfTheirLanguage) {
  const struct {
    QString face;
    QString family;
  } rows[] = {
      {"SimSun", "Noto Serif CJK SC"},        {"宋体", "Noto Serif CJK SC"},
      {"NSimSun", "Noto Sans Mono CJK SC"},   {"新宋体", "Noto Sans Mono CJK SC"},
      {"SimHei", "Noto Sans CJK SC"},         {"黑体", "Noto Sans CJK SC"},
      {"Microsoft YaHei", "Noto Sans CJK SC"}, {"微软雅黑", "Noto Sans CJK SC"},
      {"MingLiU", "Noto Sans Mono CJK TC"},   {"細明體", "Noto Sans Mono CJK TC"},
      {"PMingLiU", "Noto Serif CJK TC"},      {"新細明體", "Noto Serif CJK TC"},
      {"Microsoft JhengHei", "Noto Sans CJK TC"}, {"微軟正黑體", "Noto Sans CJK TC"},
      {"Gulim", "Noto Sans CJK KR"},          {"굴림", "Noto Sans CJK KR"},
      {"GulimChe", "Noto Sans Mono CJK KR"},  {"굴림체", "Noto Sans Mono CJK KR"},
      {"Dotum", "Noto Sans CJK KR"},          {"돋움", "Noto Sans CJK KR"},
      {"Batang", "Noto Serif CJK KR"},        {"바탕", "Noto Serif CJK KR"},
      {"Malgun Gothic", "Noto Sans CJK KR"},  {"맑은 고딕", "Noto Sans CJK KR"},
      {"MS Gothic", "Noto Sans Mono CJK JP"}, {"ＭＳ ゴシック", "Noto Sans Mono CJK JP"},
      {"MS PGothic", "Noto Sans CJK JP"},     {"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},
      {"MS UI Gothic", "Noto Sans CJK JP"},   {"MS Mincho", "Noto Sans Mono CJK JP"},
      {"ＭＳ 明朝", "Noto Sans Mono CJK JP"}, {"Meiryo", "Noto Sans CJK JP"},
      {"メイリオ", "Noto Sans CJK JP"},
  };
  for (const auto& row : rows) EXPECT_EQ(ReplacementOf(row.face), row.family) << row.face.toStdString();

  // One line per face, under the key wine reads, in the UTF-16 regedit takes them in.
  const QString text = FontReplacementsRegistryText();
  EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n\"SimHei\"=\"Noto Sans CJK SC\"\r\n"));
  EXPECT_EQ(text.count("\r\n"), FontReplacements().size() + 4);
  const QByteArray bytes = RegistryFileBytes(QStringLiteral("A굴"));
  EXPECT_EQ(bytes, QByteArray("\xff\xfe" "A\0\x74\xad", 6));
}

// Imported into a prefix of its own for real: the faces' own names arrive as they are.
TEST(FontReplacementsTest, RegeditImportsThemIntoAPrefix) {
  const QString wine = QStandardPaths::findExecutable("wine");
  if (wine.isEmpty() || QStandardPaths::findExecutable("wineserver").isEmpty()) GTEST_SKIP() << "needs wine";
  QTemporaryDir folder;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("WINEPREFIX", folder.filePath("prefix"));
  environment.insert("WINEDEBUG", "-all");
  environment.insert("WINEDLLOVERRIDES", "winemenubuilder.exe=d;mscoree=d;mshtml=d");
  const QString server = QStandardPaths::findExecutable("wineserver");
  auto run = [&](const QStringList& arguments, const QString& program) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(240000)) << arguments.join(' ').toStdString();
    return QString::fromLocal8Bit(process.readAll());
  };
  const auto endServer = qScopeGuard([&] { run({"-k"}, server); });
  const QString booted = run({"wineboot", "--init"}, wine);
  run({"-w"}, server);  // the server writes the registry as it ends
  ASSERT_TRUE(QFileInfo::exists(folder.filePath("prefix/system.reg"))) << booted.toStdString();

  EXPECT_TRUE(ApplyFontReplacements(wine, environment, folder.filePath("wine.log")));
  const QString exported = folder.filePath("replacements.reg");
  run({"reg", "export", "HKCU\\Software\\Wine\\Fonts\\Replacements", "Z:" + QString(exported).replace('/', '\\'), "/y"}, wine);
  QFile file(exported);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_TRUE(bytes.startsWith("\xff\xfe"));
  const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
  for (const FontReplacement& replacement : FontReplacements())
    EXPECT_TRUE(text.contains('"' + replacement.face + "\"=\"" + replacement.replacement + '"')) << replacement.face.toStdString();
}

}  // namespace
}  // namespace tarvex::wine
