#include "app/instance_handover.h"

#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvex {
namespace {

constexpr HandoverTiming kQuick{std::chrono::milliseconds(100), std::chrono::milliseconds(100),
                                std::chrono::milliseconds(100)};

sockaddr_un Address(const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray encoded = QFile::encodeName(path);
  std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
  return address;
}

// A socket that someone else made under the instance's name; its descriptors close with it.
class Occupant {
 public:
  explicit Occupant(const QString& path) : m_address(Address(path)) {
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(m_fd, reinterpret_cast<const sockaddr*>(&m_address), sizeof(m_address));
  }
  ~Occupant() {
    for (int fd : {m_fd, m_filler})
      if (fd >= 0) ::close(fd);
  }

  // An instance that ended: nobody listens on the file it left.
  void End() {
    ::close(m_fd);
    m_fd = -1;
  }
  // An instance that listens but accepts nothing (stopped): its one-place queue is full.
  void ListenWithoutAccepting() {
    ::listen(m_fd, 0);
    m_filler = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::connect(m_filler, reinterpret_cast<const sockaddr*>(&m_address), sizeof(m_address));
  }

 private:
  const sockaddr_un m_address;
  int m_fd = -1;
  int m_filler = -1;
};

ino_t SocketFile(const QString& path) {
  struct stat info {};
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode) ? info.st_ino : 0;
}

bool Answers(const QString& path) {
  const sockaddr_un address = Address(path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return answered;
}

// A start takes the name over only from an instance that has surely ended; a socket file
// that may still be a live instance's is never removed.
TEST(InstanceHandoverTest, TakesTheNameOnlyFromAnEndedInstance) {
  struct Row {
    const char* occupant;
    std::function<void(Occupant&)> prepare;
    bool anotherHoldsTheTurn;
    bool takesTheName;
  };
  const Row rows[] = {
      {"ended instance's file", [](Occupant& o) { o.End(); }, false, true},
      {"another start between bind and listen", [](Occupant&) {}, true, false},
      {"instance that does not accept", [](Occupant& o) { o.ListenWithoutAccepting(); }, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.occupant);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("instance"));
    Occupant occupant(path);
    row.prepare(occupant);
    QLockFile othersTurn(path + QStringLiteral(".lock"));
    if (row.anotherHoldsTheTurn) {
      ASSERT_TRUE(othersTurn.tryLock(0));
    }
    const ino_t before = SocketFile(path);
    ASSERT_NE(before, 0U);

    InstanceHandover handover(path, kQuick);
    handover.WaitForTurn(0);
    EXPECT_EQ(handover.Listen(), row.takesTheName);
    if (row.takesTheName) {
      EXPECT_TRUE(Answers(path));
    } else {
      EXPECT_EQ(SocketFile(path), before);
    }
  }
}

// Another program of the user's that listens under the instance's name and never answers
// is waited for, but never ended.
TEST(InstanceHandoverTest, NeverEndsAProcessOfAnotherProgram) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("instance"));
  const sockaddr_un address = Address(path);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  int execed[2];
  ASSERT_EQ(::pipe2(execed, O_CLOEXEC), 0);
  const pid_t other = ::fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    // The socket's listener is this process, which then becomes another program.
    ::listen(listener, 4);
    ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(listener);
  ::close(execed[1]);
  char ignored;
  ASSERT_EQ(::read(execed[0], &ignored, 1), 0);  // its end closes on exec
  ::close(execed[0]);

  InstanceHandover(path, kQuick).TellRunningInstance();
  int status = 0;
  EXPECT_EQ(::waitpid(other, &status, WNOHANG), 0) << "the other program was ended";
  ::kill(other, SIGKILL);
  ::waitpid(other, &status, 0);
}

// The login token an instance read goes on to the start that replaces it only when that
// start was already under way when the token was read: a later start had its own chance
// at the token file.
TEST(InstanceHandoverTest, HandsTheTokenOnToAStartThatWasWaitingForIt) {
  struct Row {
    const char* newer;
    bool startedBeforeTheRead;
  };
  for (const Row& row : {Row{"waiting when the token was read", true}, Row{"started after the read", false}}) {
    SCOPED_TRACE(row.newer);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("instance"));
    InstanceHandover older(path, kQuick);
    ASSERT_TRUE(older.Listen());
    std::optional<InstanceHandover> newer;
    if (row.startedBeforeTheRead) newer.emplace(path, kQuick);
    older.HandOnToken(QStringLiteral("ABCDEFGH"));
    if (!row.startedBeforeTheRead) newer.emplace(path, kQuick);

    // The older one answers from the event loop, as a running instance does.
    std::atomic<bool> told{false};
    std::thread starting([&] {
      newer->TellRunningInstance();
      told = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return told.load(); }, 5000));
    starting.join();
    EXPECT_EQ(newer->ReceivedToken(), row.startedBeforeTheRead ? QStringLiteral("ABCDEFGH") : QString());
  }
}

}  // namespace
}  // namespace tarvex
