#include "app/nimbo_client_app.h"

#include "app/instance_handover.h"
#include "browser/browser_runtime.h"
#include "install/installer_fetch.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "ui/main/nimbo_client_dlg.h"

#include <QApplication>
#include <QPointer>

namespace tarvex {
namespace {

// How long a starting instance waits for the ones started just before it to settle.
constexpr int kTurnWaitMs = 180000;

}  // namespace

CNimboClientApp::CNimboClientApp(QStringList launchArguments)
    : m_launchArguments(std::move(launchArguments)), m_runtime(std::make_unique<BrowserRuntime>()) {}

CNimboClientApp::~CNimboClientApp() {
  // Windows (and with them every page) go before the runtime and its profile.
  QList<QPointer<QWidget>> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget != m_mainWindow.get() && !widget->parentWidget()) windows.append(widget);
  }
  for (const QPointer<QWidget>& window : windows) delete window.data();
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
  // Downloads resume from partial installers for a week; older ones are not worth keeping.
  InstallerFetch::RemoveStalePartials(paths::InstallerFolder());

  const Services services{m_prompt, m_defaultBrowser, m_programStarter, m_clock, Hosts::FromEnvironment()};
  m_mainWindow = std::make_unique<CNimboClientDlg>(services, *m_runtime, m_launchArguments);
  QObject::connect(m_handover.get(), &InstanceHandover::instanceMessageReceived, m_mainWindow.get(),
                   &CNimboClientDlg::OnInstanceMessage);
  QObject::connect(m_mainWindow.get(), &CNimboClientDlg::destroyRequested, m_mainWindow.get(),
                   [this] { EndProgram(); });
  QObject::connect(m_mainWindow.get(), &CNimboClientDlg::browserRequested, m_mainWindow.get(), [this] {
    // An instance that a newer one has told to end meanwhile never opens the profile.
    if (!m_handover->PollInstanceMessage()) m_mainWindow->CreateMainBrowser();
  });
  if (!m_mainWindow->OnInitDialog()) return false;
  m_mainWindow->show();
  return true;
}

void CNimboClientApp::EndProgram() {
  // Whatever else is open (game windows, dev tools, a tray icon), the program ends with 0.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget != m_mainWindow.get()) widget->hide();
  }
  QCoreApplication::exit(0);
}

}  // namespace tarvex
