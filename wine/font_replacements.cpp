#include "wine/font_replacements.h"

#include "platform/trace.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>

namespace tarvex::wine {
namespace {

constexpr int kImportLimitMs = 60000;

struct FaceGroup {
  const char* replacement;
  QStringList faces;
};

// Proportional faces with strokes of even width go to Sans, Ming, Song, Batang and Mincho
// faces to Serif, and the fixed-pitch ones (the -Che faces, NSimSun, MingLiU, MS Gothic
// and MS Mincho) to Sans Mono, Noto's only monospaced CJK faces.
QList<FaceGroup> FaceGroups() {
  return {
      {"Noto Sans CJK SC", {"SimHei", "黑体", "Microsoft YaHei", "Microsoft YaHei UI", "微软雅黑"}},
      {"Noto Serif CJK SC", {"SimSun", "宋体"}},
      {"Noto Sans Mono CJK SC", {"NSimSun", "新宋体"}},
      {"Noto Sans CJK TC", {"Microsoft JhengHei", "Microsoft JhengHei UI", "微軟正黑體"}},
      {"Noto Serif CJK TC", {"PMingLiU", "新細明體"}},
      {"Noto Sans Mono CJK TC", {"MingLiU", "細明體"}},
      {"Noto Sans Mono CJK HK", {"MingLiU_HKSCS", "細明體_HKSCS"}},
      {"Noto Sans CJK KR", {"Gulim", "굴림", "Dotum", "돋움", "Malgun Gothic", "맑은 고딕"}},
      {"Noto Serif CJK KR", {"Batang", "바탕"}},
      {"Noto Sans Mono CJK KR", {"GulimChe", "굴림체", "DotumChe", "돋움체", "BatangChe", "바탕체"}},
      {"Noto Sans CJK JP",
       {"MS PGothic", "ＭＳ Ｐゴシック", "MS UI Gothic", "Meiryo", "Meiryo UI", "メイリオ"}},
      {"Noto Serif CJK JP", {"MS PMincho", "ＭＳ Ｐ明朝"}},
      {"Noto Sans Mono CJK JP", {"MS Gothic", "ＭＳ ゴシック", "MS Mincho", "ＭＳ 明朝"}},
  };
}

// Wine reaches the whole file system as drive Z:.
QString WindowsPathOf(const QString& file) {
  return QStringLiteral("Z:") + QString(file).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

}  // namespace

QList<FontReplacement> FontReplacements() {
  QList<FontReplacement> replacements;
  for (const FaceGroup& group : FaceGroups()) {
    for (const QString& face : group.faces) replacements.append({face, QString::fromLatin1(group.replacement)});
  }
  return replacements;
}

QString FontReplacementsRegistryText() {
  QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n");
  // No face or family has a quote or a backslash, which would need escaping.
  for (const FontReplacement& replacement : FontReplacements())
    text += QStringLiteral("\"%1\"=\"%2\"\r\n").arg(replacement.face, replacement.replacement);
  return text + QStringLiteral("\r\n");
}

QByteArray RegistryFileBytes(const QString& text) {
  QByteArray bytes("\xff\xfe", 2);
  for (const QChar unit : text) {
    bytes += char(unit.unicode() & 0xff);
    bytes += char(unit.unicode() >> 8);
  }
  return bytes;
}

bool ApplyFontReplacements(const QString& wineExecutable, const QProcessEnvironment& environment,
                           const QString& logFile) {
  QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tarvex-fonts-XXXXXX.reg"));
  if (wineExecutable.isEmpty() || !file.open() || file.write(RegistryFileBytes(FontReplacementsRegistryText())) < 0 ||
      !file.flush())
    return false;
  QProcess regedit;
  regedit.setProgram(wineExecutable);
  regedit.setArguments({QStringLiteral("regedit"), QStringLiteral("/S"), WindowsPathOf(file.fileName())});
  regedit.setProcessEnvironment(environment);
  regedit.setStandardOutputFile(logFile, QIODevice::Append);
  regedit.setStandardErrorFile(logFile, QIODevice::Append);
  regedit.start();
  if (!regedit.waitForStarted()) return false;
  if (!regedit.waitForFinished(kImportLimitMs)) {
    regedit.kill();
    regedit.waitForFinished();
    Trace(QStringLiteral("----------font replacements not imported----------\n"));
    return false;
  }
  return regedit.exitStatus() == QProcess::NormalExit && regedit.exitCode() == 0;
}

}  // namespace tarvex::wine
