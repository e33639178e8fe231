#include "browser/renderer_recovery.h"

#include "browser/browser_view.h"
#include "browser/launcher_page.h"
#include "browser/nimbo_page.h"
#include "platform/trace.h"

#include <QTimer>

namespace tarvex {

QString RendererEndedPageHtml(const QUrl& address) {
  return LauncherPageHtml(QStringLiteral("페이지가 예기치 않게 종료되었습니다. 다시 불러오려면 아래 버튼을 누르세요."),
                          QStringLiteral("页面意外终止，请点击下方按钮重新加载。"), QStringLiteral("reload"), address);
}

RendererRecovery::RendererRecovery(BrowserView* view) : QObject(view), m_view(view) {
  connect(view->Page(), &QWebEnginePage::renderProcessTerminated, this, &RendererRecovery::OnTerminated);
}

void RendererRecovery::OnTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
  if (status == QWebEnginePage::NormalTerminationStatus) return;
  const auto now = std::chrono::steady_clock::now();
  const bool again = m_lastEnd && now - *m_lastEnd < kCrashLoopWindow;
  m_lastEnd = now;
  // One of the launcher's own pages (this one's, or the portal outage page) ending too
  // leaves the address it stands in for.
  if (const QUrl shown = m_view->Page()->ShownAddress(); !shown.isEmpty()) m_address = shown;
  TraceFormat(QStringLiteral("----------renderer ended----------%s\n"),
              QStringLiteral("%1 %2 %3").arg(int(status)).arg(exitCode).arg(QString::fromUtf8(m_address.toEncoded())));
  const bool reload = status == QWebEnginePage::KilledTerminationStatus && !again;
  QTimer::singleShot(0, this, [this, reload] {
    if (reload) {
      m_view->load(m_address);
      return;
    }
    m_view->Page()->LoadLocalPage(LauncherPageUrl(RendererEndedPageHtml(m_address)), m_address);
  });
}

}  // namespace tarvex
