#include "browser/browser_runtime.h"

#include "browser/browser_client.h"
#include "browser/nimbo_page.h"
#include "browser/profile_cookie_cleaner.h"
#include "platform/heap_trimmer.h"

#include <QDir>
#include <QLoggingCategory>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace tarvex {
namespace {

// Long enough for a page's sub-resources and first frames to have come and gone.
constexpr std::chrono::seconds kHeapTrimDelay{2};

}  // namespace

BrowserRuntime::BrowserRuntime(QObject* parent)
    : QObject(parent), m_heapTrimmer(new HeapTrimmer(kHeapTrimDelay, ReleaseFreeHeapPages, this)) {}

BrowserRuntime::~BrowserRuntime() {
  delete m_cookies;
  delete m_profile;
}

CookieCleaner& BrowserRuntime::Cookies() const {
  Q_ASSERT(m_cookies);
  return *m_cookies;
}

bool BrowserRuntime::Initialize(const RuntimeSettings& settings, const NimboCefRender& application) {
  if (m_profile) return false;

  // The engine reads its switches once, when the first profile or page is made, and only
  // from this variable (argv switches are ignored by this engine version).
  m_switches = application.OnBeforeCommandLineProcessing();
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.isEmpty()) flags += ' ';
  flags += ChromiumFlagsText(m_switches).toUtf8();
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
  if (settings.noSandbox) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // The engine's own start-up report is its log; it stays quiet unless QT_LOGGING_RULES asks.
  if (settings.logSeverity >= 99) QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));

  if (settings.cachePath) {
    m_profile = new QWebEngineProfile(QStringLiteral("Wexlod"));
    QDir().mkpath(*settings.cachePath);
    m_profile->setPersistentStoragePath(*settings.cachePath);
    m_profile->setCachePath(*settings.cachePath);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
  } else {
    m_profile = new QWebEngineProfile();  // off the record: kept in memory only
  }
  // A link with a scheme no page handles would go to the desktop's handler for it and start
  // whatever program that is: such links are refused, whoever clicks them.
  m_profile->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
  // Mirrors the cookie store from the start, before any page exists.
  m_cookies = new ProfileCookieCleaner(m_profile);
  connect(m_profile, &QWebEngineProfile::downloadRequested, this, &BrowserRuntime::OnDownloadRequested);
  return true;
}

void BrowserRuntime::TrimHeapAfterLoads(QWebEngineView* view) {
  connect(view, &QWebEngineView::loadFinished, m_heapTrimmer, &HeapTrimmer::Schedule);
  connect(view, &QObject::destroyed, m_heapTrimmer, &HeapTrimmer::Schedule);
}

void BrowserRuntime::OnDownloadRequested(QWebEngineDownloadRequest* download) {
  auto* page = qobject_cast<NimboPage*>(download->page());
  if (!page) return;  // not accepted here: the engine drops it
  page->Client()->OnBeforeDownload(page->View(), download);
}

}  // namespace tarvex
