#pragma once

#include "interfaces/views.h"
#include "platform/clock.h"
#include "platform/default_browser.h"
#include "platform/program_starter.h"
#include "platform/prompt.h"
#include "platform/services.h"
#include "platform/window_registry.h"

#include <QEventLoop>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace tarvex::testing {

// Answers questions from a script in place of a person and records what was asked. Like a
// real dialog, a question can run an event loop of its own while it waits for the answer.
class ScriptedPrompt final : public Prompt {
 public:
  struct Question {
    QString text;
    QString caption;
    Buttons buttons;
    Icon icon;
    bool owned;
  };

  void Script(Answer answer) { m_answers.push_back(answer); }
  void ScriptSaveFileName(const QString& path) { m_saveFileNames.push_back(path); }
  // The next question (or Save-As) runs an event loop, and `meanwhile` inside it, before
  // it is answered: whatever else happens while a person reads the dialog.
  void WhileNextQuestionIsOpen(std::function<void()> meanwhile) { m_meanwhile = std::move(meanwhile); }

  Answer Ask(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
    m_questions.append({text, caption, buttons, icon, owner != nullptr});
    RunNestedLoop();
    if (m_answers.empty()) return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }

  QString AskSaveFileName(QWidget*, const QString& proposedPath) override {
    m_proposedPaths.append(proposedPath);
    RunNestedLoop();
    if (m_saveFileNames.empty()) return QString();
    const QString path = m_saveFileNames.front();
    m_saveFileNames.pop_front();
    return path;
  }

  const QList<Question>& Questions() const { return m_questions; }
  const QStringList& ProposedPaths() const { return m_proposedPaths; }

 private:
  void RunNestedLoop() {
    if (!m_meanwhile) return;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [this, &loop] {
      std::exchange(m_meanwhile, {})();
      loop.quit();
    });
    loop.exec();
  }

  std::function<void()> m_meanwhile;
  std::deque<Answer> m_answers;
  std::deque<QString> m_saveFileNames;
  QList<Question> m_questions;
  QStringList m_proposedPaths;
};

// Records the addresses that reached the user's browser (after the scheme check).
class RecordingDefaultBrowser final : public DefaultBrowser {
 public:
  const QStringList& Opened() const { return m_opened; }

 protected:
  void Hand(const QUrl& url) override { m_opened.append(url.toString(QUrl::FullyEncoded)); }

 private:
  QStringList m_opened;
};

// Records every program start instead of starting anything; callable from any thread
// (the download worker starts games).
class RecordingProgramStarter final : public ProgramStarter {
 public:
  struct Call {
    QString program;
    QStringList arguments;
    bool operator==(const Call&) const = default;
  };

  bool StartDetached(const QString& program, const QStringList& arguments) override {
    const std::lock_guard lock(m_mutex);
    m_calls.push_back({program, arguments});
    return true;
  }

  std::vector<Call> Calls() const {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<Call> m_calls;
};

class FixedClock final : public Clock {
 public:
  explicit FixedClock(std::uint32_t ticks = 123456) : m_ticks(ticks) {}
  std::uint32_t TickCount() override { return m_ticks; }
  void Set(std::uint32_t ticks) { m_ticks = ticks; }

 private:
  std::uint32_t m_ticks;
};

// Records every window operation asked of the main window.
class RecordingViews final : public Views {
 public:
  QStringList calls;

  void OpenGameView(const QString& address, int openFlag) override {
    calls.append(QStringLiteral("OpenGameView %1 %2").arg(address).arg(openFlag));
  }
  void OpenPayView(const QString& address, int width, int height, const QString& label) override {
    calls.append(QStringLiteral("OpenPayView %1 %2x%3 %4").arg(address).arg(width).arg(height).arg(label));
  }
  void OpenLoadView(const QString& gameKey, const QString& launchParams) override {
    calls.append(QStringLiteral("OpenLoadView %1 %2").arg(gameKey, launchParams));
  }
  void LaunchGame(const QString& launchAddress) override {
    calls.append(QStringLiteral("LaunchGame %1").arg(launchAddress));
  }
};

// All fakes together, ready to hand to a window.
struct FakeServices {
  ScriptedPrompt prompt;
  RecordingDefaultBrowser defaultBrowser;
  RecordingProgramStarter programStarter;
  FixedClock clock;
  // A real registry: the windows and pop-ups a test opens are kept and deleted with it.
  WindowRegistry windows;
  Hosts hosts{QStringLiteral("127.0.0.1:8800"), QStringLiteral("127.0.0.1:8800"), QStringLiteral("social.test"),
              QStringLiteral("http")};

  Services Get() { return Services{prompt, defaultBrowser, programStarter, clock, hosts}; }
};

}  // namespace tarvex::testing
