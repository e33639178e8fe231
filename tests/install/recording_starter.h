#pragma once

#include "platform/program_starter.h"

#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

namespace tarvex::testing {

// Records every program start instead of starting anything; callable from any thread.
class RecordingStarter final : public ProgramStarter {
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

  std::vector<Call> Calls() {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }

 private:
  std::mutex m_mutex;
  std::vector<Call> m_calls;
};

}  // namespace tarvex::testing
