#include "browser/navigation_routing.h"

#include "platform/web_address.h"

namespace tarvex::route {
namespace {

const Decision kProceed{None{}};

Decision Cancel(Action action) { return Decision{std::move(action)}; }

bool Has(const QString& address, const char* marker) {
  return address.contains(QLatin1String(marker), Qt::CaseSensitive);
}

bool IsHandledPopup(PopupDisposition disposition) {
  return disposition >= PopupDisposition::NewForegroundTab && disposition <= PopupDisposition::NewWindow;
}

// A pop-up turned into a navigation of the window's own browser: only a web page is
// loaded; file:, data:, javascript: and other schemes are dropped.
Decision LoadInOwn(const QString& address) {
  if (!IsWebAddress(address)) return Cancel(KeepPage{});
  return Cancel(LoadInOwnBrowser{address});
}

}  // namespace

Decision MainNavigation(const QString& address) {
  if (Has(address, "/mini/login"))
    return Cancel(OpenPayView{address + QStringLiteral("?status=2"), 420, 560,
                              QStringLiteral("Tarvex 계정 로그인")});
  if (Has(address, "/game_play/")) return Cancel(LaunchGame{address});
  if (Has(address, "/mini/play/")) return Cancel(OpenGameView{address, 0});
  if (Has(address, "kobutarget=_blank")) return Cancel(OpenDefaultBrowser{address});
  return kProceed;
}

Decision MainPopup(const QString& address, PopupDisposition disposition) {
  if (!IsHandledPopup(disposition)) return kProceed;
  return LoadInOwn(address);
}

Decision GameNavigation(const QString& address, const QString& portalHost) {
  // An unset host would match every address; treat it as matching none.
  const bool onPortal = !portalHost.isEmpty() && address.contains(portalHost, Qt::CaseSensitive);
  if (onPortal && address.contains(portalHost + QStringLiteral("/mini/index"), Qt::CaseSensitive))
    return Cancel(KeepPage{});
  if (Has(address, "play")) return kProceed;
  if (onPortal) return Cancel(OpenDefaultBrowser{address});
  return kProceed;
}

Decision GamePopup(const QString& address, PopupDisposition disposition) {
  if (!IsHandledPopup(disposition)) return kProceed;
  if (Has(address, "payment/app_pay"))
    return Cancel(OpenPayView{address + QStringLiteral("&status=2"), 800, 612, QStringLiteral("게임 직구")});
  return Cancel(OpenDefaultBrowser{address});
}

Decision PayNavigation(const QString& address) {
  if (Has(address, "/index/")) return Cancel(CloseAndReturn{});
  if (Has(address, "kobutarget=_blank")) return Cancel(OpenDefaultBrowser{address});
  return kProceed;
}

Decision PayPopup(const QString& address, PopupDisposition disposition) {
  if (!IsHandledPopup(disposition)) return kProceed;
  return LoadInOwn(address);
}

}  // namespace tarvex::route
