#pragma once

#include "browser/nimbo_cef_render.h"
#include "browser/runtime_settings.h"

#include <QObject>
#include <QStringList>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWebEngineView;

namespace tarvex {

class CookieCleaner;
class HeapTrimmer;
class ProfileCookieCleaner;

// The embedded Chromium of this process. Initialised once: the first call fixes the
// switches and the profile, later calls change nothing. Owns the one persistent profile;
// every page must be deleted before this object (the engine warns otherwise).
// GUI thread only.
class BrowserRuntime final : public QObject {
  Q_OBJECT

 public:
  explicit BrowserRuntime(QObject* parent = nullptr);
  ~BrowserRuntime() override;

  // Returns true when this call initialised the runtime, false when an earlier one had.
  bool Initialize(const RuntimeSettings& settings, const NimboCefRender& application);

  bool IsInitialized() const { return m_profile != nullptr; }
  QWebEngineProfile* Profile() const { return m_profile; }
  // The switches handed to Chromium by the initialising call, in the launcher's spelling.
  const QList<ChromiumSwitch>& AppliedSwitches() const { return m_switches; }
  // The cookie deletion of the profile; valid once initialised.
  CookieCleaner& Cookies() const;
  // Gives the process's freed heap back to the system a moment after `view` has loaded
  // a page, and after it is gone: the moments the engine leaves the most freed memory.
  void TrimHeapAfterLoads(QWebEngineView* view);

 private:
  void OnDownloadRequested(QWebEngineDownloadRequest* download);

  QWebEngineProfile* m_profile = nullptr;
  ProfileCookieCleaner* m_cookies = nullptr;
  HeapTrimmer* m_heapTrimmer = nullptr;
  QList<ChromiumSwitch> m_switches;
};

}  // namespace tarvex
