#include "portal/login_token_reader.h"

#include "platform/paths.h"
#include "platform/prompt.h"
#include "portal/locale_text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

constexpr qsizetype kTokenBytes = 8;

// Reads a plain file only, until 8 bytes or the end of the file (a short read of a file that
// holds more is not the end). Whatever else another program left under the name is not
// read: a link is not followed and creates nothing where it points, and a pipe or device
// is not waited on.
QByteArray ReadTokenBytes(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return {};
  }
  // A plain file, read as one: a file system that honours the flag for files (FUSE, NFS)
  // must not cut the token short.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  QByteArray bytes(kTokenBytes, '\0');
  qsizetype filled = 0;
  while (filled < kTokenBytes) {
    const ssize_t got = ::read(fd, bytes.data() + filled, static_cast<size_t>(kTokenBytes - filled));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += got;
  }
  ::close(fd);
  bytes.truncate(filled);
  return bytes;
}

}  // namespace

bool IsUsableToken(const QString& token) { return token.size() == kTokenBytes; }

LoginTokenReader::LoginTokenReader(Prompt& prompt, QString caption)
    : m_prompt(prompt), m_caption(std::move(caption)) {}

QString LoginTokenReader::GetloginToken() {
  EnsureFolder(paths::DataRoot());
  EnsureFolder(paths::BoxFolder());
  const QString tokenFile = paths::TokenFile();
  const QString token = DecodeLocaleText(ReadTokenBytes(tokenFile));
  QFile::remove(tokenFile);
  return token;
}

void LoginTokenReader::EnsureFolder(const QString& folder) {
  QDir dir(folder);
  // Parents are made too: on a fresh account even ~/.local/share may be missing.
  if (dir.exists() || dir.mkpath(QStringLiteral("."))) return;
  QString text = QStringLiteral("Failed to create directory【%s】！");
  text.replace(QStringLiteral("%s"), folder);
  m_prompt.Ask(nullptr, text, m_caption, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

}  // namespace tarvex
