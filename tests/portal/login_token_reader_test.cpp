#include "platform/paths.h"
#include "platform/prompt.h"
#include "portal/login_token_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <sys/stat.h>

namespace tarvex {
namespace {

struct Notice {
  QString text;
  QString caption;
  Prompt::Buttons buttons;
  Prompt::Icon icon;
};

class RecordingPrompt final : public Prompt {
 public:
  Answer Ask(QWidget*, const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
    notices.push_back({text, caption, buttons, icon});
    return Answer::Ok;
  }
  QString AskSaveFileName(QWidget*, const QString&) override { return {}; }

  std::vector<Notice> notices;
};

class LoginTokenReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedDataHome = qgetenv("XDG_DATA_HOME");
    SetDataHome(m_dir.path() + QStringLiteral("/data"));
  }
  void TearDown() override { qputenv("XDG_DATA_HOME", m_savedDataHome); }

  static void SetDataHome(const QString& folder) { qputenv("XDG_DATA_HOME", QFile::encodeName(folder)); }

  static void WriteTokenFile(const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(paths::BoxFolder()));
    QFile file(paths::TokenFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QString Read() { return LoginTokenReader(m_prompt, QStringLiteral("NimboClient")).GetloginToken(); }

  QTemporaryDir m_dir;
  QByteArray m_savedDataHome;
  RecordingPrompt m_prompt;
};

struct TokenCase {
  const char* name;
  std::optional<QByteArray> file;  // none: no token file at all
  QString token;
  bool usable;
};

TEST_F(LoginTokenReaderTest, ReadsAtMostEightBytesUpToAZeroByteAndDeletesTheFile) {
  const TokenCase cases[] = {
      {"no file", std::nullopt, QString(), false},
      {"empty file", QByteArray(), QString(), false},
      {"7 letters", QByteArray("abcdefg"), QStringLiteral("abcdefg"), false},
      {"8 letters", QByteArray("abcdefgh"), QStringLiteral("abcdefgh"), true},
      {"10 letters", QByteArray("abcdefghij"), QStringLiteral("abcdefgh"), true},
      {"zero byte", QByteArray("abc\0efgh", 8), QStringLiteral("abc"), false},
      {"7 letters and CR LF", QByteArray("abcdefg\r\n"), QStringLiteral("abcdefg\r"), true},
      {"UTF-8 text", QByteArray("\xE4\xBB\xA4\xE7\x89\x8C" "ab"), QStringLiteral("令牌ab"), false},
  };
  for (const TokenCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.file) WriteTokenFile(*c.file);
    const QString token = Read();
    EXPECT_EQ(token, c.token);
    EXPECT_EQ(IsUsableToken(token), c.usable);
    EXPECT_FALSE(QFile::exists(paths::TokenFile()));
  }
  EXPECT_TRUE(m_prompt.notices.empty());
}

// Only a plain file is read: a pipe would hold the start forever, a link would be followed
// to another file (or, dangling, create one). Each is still removed, and its target kept.
TEST_F(LoginTokenReaderTest, AnythingButAPlainFileGivesNoTokenAndIsRemoved) {
  const QString target = m_dir.path() + QStringLiteral("/elsewhere");
  const struct {
    const char* name;
    std::function<void()> place;
    bool targetExists;
  } cases[] = {
      {"pipe", [] { ASSERT_EQ(::mkfifo(QFile::encodeName(paths::TokenFile()).constData(), 0600), 0); }, false},
      {"dangling link", [&] { ASSERT_TRUE(QFile::link(target, paths::TokenFile())); }, false},
      {"link to a token",
       [&] {
         QFile file(target);
         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         file.write("abcdefgh");
         file.close();
         ASSERT_TRUE(QFile::link(target, paths::TokenFile()));
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(target);
    ASSERT_TRUE(QDir().mkpath(paths::BoxFolder()));
    c.place();
    EXPECT_EQ(Read(), QString());
    EXPECT_FALSE(QFileInfo(paths::TokenFile()).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(paths::TokenFile()));
    EXPECT_EQ(QFileInfo::exists(target), c.targetExists);
  }
}

TEST_F(LoginTokenReaderTest, TheTokenIsReadOnce) {
  WriteTokenFile("abcdefgh");
  EXPECT_EQ(Read(), QStringLiteral("abcdefgh"));
  EXPECT_EQ(Read(), QString());
}

TEST_F(LoginTokenReaderTest, CreatesTheMissingFolders) {
  Read();
  EXPECT_TRUE(QDir(paths::DataRoot()).exists());
  EXPECT_TRUE(QDir(paths::BoxFolder()).exists());
}

TEST_F(LoginTokenReaderTest, ReportsEachFolderThatCannotBeMadeAndGoesOn) {
  // A plain file where the data home should be: no folder can be made below it.
  const QString blocker = m_dir.path() + QStringLiteral("/blocker");
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  SetDataHome(blocker);

  EXPECT_EQ(Read(), QString());

  ASSERT_EQ(m_prompt.notices.size(), 2u);
  EXPECT_EQ(m_prompt.notices[0].text, QStringLiteral("Failed to create directory【%1/Tarvex/】！").arg(blocker));
  EXPECT_EQ(m_prompt.notices[1].text, QStringLiteral("Failed to create directory【%1/Tarvex/Box/】！").arg(blocker));
  for (const Notice& notice : m_prompt.notices) {
    EXPECT_EQ(notice.caption, QStringLiteral("NimboClient"));
    EXPECT_EQ(notice.buttons, Prompt::Buttons::Ok);
    EXPECT_EQ(notice.icon, Prompt::Icon::Exclamation);
  }
}

}  // namespace
}  // namespace tarvex
