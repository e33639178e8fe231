#include "app/nimbo_client_app.h"

#include "app/instance_handover.h"
#include "app/profile_lock.h"
#include "browser/browser_runtime.h"
#include "install/installer_fetch.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/services.h"
#include "ui/main/nimbo_client_dlg.h"

#include <QApplication>
#include <QFileInfo>

namespace tarvex {
namespace {

// How long a starting instance waits for the ones started just before it to settle.
constexpr int kTurnWaitMs = 180000;

void TellProfileUnavailable(Prompt& prompt, const QString& lockFile, ProfileLock::Outcome outcome) {
  const QString folder = QFileInfo(lockFile).path();
  const QString text =
      outcome == ProfileLock::Outcome::HolderStays
          ? QStringLiteral("이전에 실행한 NimboClient가 종료되지 않아 브라우저 프로필을 사용할 수 없습니다: %1\n"
                           "컴퓨터를 다시 시작한 후 NimboClient를 실행하세요.\n\n"
                           "先前執行的 NimboClient 無法結束，因此無法使用瀏覽器設定檔：%1\n"
                           "請重新啟動電腦後再執行 NimboClient。")
          : QStringLiteral("브라우저 프로필을 사용할 수 없어 NimboClient를 종료합니다: %1\n"
                           "다른 프로그램이 사용 중이거나 잠글 수 없습니다.\n\n"
                           "無法使用瀏覽器設定檔，NimboClient 即將結束：%1\n"
                           "它正被其他程式使用，或無法鎖定。");
  prompt.Ask(nullptr, text.arg(folder), QStringLiteral("NimboClient"), Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

}  // namespace

CNimboClientApp::CNimboClientApp(QStringList launchArguments)
    : m_launchArguments(std::move(launchArguments)), m_runtime(std::make_unique<BrowserRuntime>()) {}

CNimboClientApp::~CNimboClientApp() {
  // Windows (and with them every page) go before the runtime and its profile.
  m_windows.DeleteAll();
  m_mainWindow.reset();
  m_runtime.reset();
  // A newer instance waiting on the hand-over goes on only once this process has ended.
  m_handover.reset();
}

bool CNimboClientApp::InitInstance() {
  QApplication::setQuitOnLastWindowClosed(false);

  m_handover = std::make_unique<InstanceHandover>(paths::InstanceSocket(QStringLiteral("Tarvex Center")));
  m_handover->WaitForTurn(kTurnWaitMs);
  m_handover->TellRunningInstance();
  m_handover->Listen();
  if (!TakeProfile()) return false;
  // Downloads resume from partial installers for a week; older ones are not worth keeping.
  InstallerFetch::RemoveStalePartials(paths::InstallerFolder());

  const Services services{m_prompt, m_defaultBrowser, m_programStarter, m_clock, Hosts::FromEnvironment()};
  m_mainWindow = std::make_unique<CNimboClientDlg>(services, *m_runtime, m_windows, m_launchArguments,
                                                   m_handover->ReceivedToken());
  QObject::connect(m_handover.get(), &InstanceHandover::instanceMessageReceived, m_mainWindow.get(),
                   &CNimboClientDlg::OnInstanceMessage);
  QObject::connect(m_mainWindow.get(), &CNimboClientDlg::destroyRequested, m_mainWindow.get(),
                   [this] { EndProgram(); });
  QObject::connect(m_mainWindow.get(), &CNimboClientDlg::browserRequested, m_mainWindow.get(), [this] {
    // An instance that a newer one has told to end meanwhile never opens the profile.
    if (!m_handover->PollInstanceMessage()) m_mainWindow->CreateMainBrowser();
  });
  QObject::connect(m_mainWindow.get(), &CNimboClientDlg::portalPageLoaded, &m_warmPrefix, &WarmPrefix::Prepare);
  m_warmPrefix.KeepWarm();
  if (!m_mainWindow->OnInitDialog()) return false;
  // From here on a newer start that was waiting gets the token this one read for it.
  m_handover->HandOnToken(m_mainWindow->LoginToken());
  m_mainWindow->show();
  return true;
}

bool CNimboClientApp::TakeProfile() {
  // Without a profile folder the engine keeps its profile in memory: nothing to share.
  const std::optional<QString> lockFile = paths::ProfileLockFile();
  if (!lockFile) return true;
  m_profileLock = std::make_unique<ProfileLock>(*lockFile, *m_handover);
  switch (const ProfileLock::Outcome outcome = m_profileLock->Take()) {
    case ProfileLock::Outcome::Held:
      return true;
    case ProfileLock::Outcome::ToldToEnd:
      return false;
    case ProfileLock::Outcome::CannotWait:
    case ProfileLock::Outcome::HolderStays:
      TellProfileUnavailable(m_prompt, *lockFile, outcome);
      return false;
  }
  return false;
}

void CNimboClientApp::EndProgram() {
  // Whatever else is open (game windows, dev tools, a tray icon), the program ends with 0.
  m_windows.HideAll();
  QCoreApplication::exit(0);
}

}  // namespace tarvex
