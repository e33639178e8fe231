// The routing tables of the three browser clients. The first byte is the pop-up
// disposition, then the portal host as a string ("\\" followed by another character ends
// it), the rest is the address.
#include "browser/navigation_routing.h"
#include "fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

namespace route = tarvex::route;

QString Describe(const QString& address, const QString& host, int disposition) {
  return QStringLiteral("address=%1 host=%2 disposition=%3").arg(address, host).arg(disposition);
}

// The engine's navigation goes on exactly when nothing else is to happen, and whatever the
// decision hands on is the address itself (or the address with a status appended).
void CheckDecision(const route::Decision& decision, const QString& address, const QString& detail) {
  const bool proceeds = std::holds_alternative<route::None>(decision.action);
  TARVEX_FUZZ_REQUIRE(decision.Cancels() != proceeds, detail);
  if (const auto* pay = std::get_if<route::OpenPayView>(&decision.action))
    TARVEX_FUZZ_REQUIRE(pay->address.startsWith(address) && pay->width > 0 && pay->height > 0, detail);
  if (const auto* browser = std::get_if<route::OpenDefaultBrowser>(&decision.action))
    TARVEX_FUZZ_REQUIRE(browser->address == address, detail);
  if (const auto* game = std::get_if<route::LaunchGame>(&decision.action))
    TARVEX_FUZZ_REQUIRE(game->address == address, detail);
  if (const auto* view = std::get_if<route::OpenGameView>(&decision.action))
    TARVEX_FUZZ_REQUIRE(view->address == address, detail);
  if (const auto* own = std::get_if<route::LoadInOwnBrowser>(&decision.action))
    TARVEX_FUZZ_REQUIRE(own->address == address, detail);
}

void CheckPopup(const route::Decision& decision, const QString& address, route::PopupDisposition disposition,
                const QString& detail) {
  CheckDecision(decision, address, detail);
  const bool handled =
      disposition >= route::PopupDisposition::NewForegroundTab && disposition <= route::PopupDisposition::NewWindow;
  if (!handled) TARVEX_FUZZ_REQUIRE(decision == (route::Decision{route::None{}}), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int dispositionValue = input.ConsumeIntegralInRange<int>(-1, 10);
  const auto disposition = static_cast<route::PopupDisposition>(dispositionValue);
  const QString host = QString::fromStdString(input.ConsumeRandomLengthString());
  const QString address = QString::fromStdString(input.ConsumeRemainingBytesAsString());
  const QString detail = Describe(address, host, dispositionValue);

  CheckDecision(route::MainNavigation(address), address, detail);
  CheckDecision(route::PayNavigation(address), address, detail);
  CheckPopup(route::MainPopup(address, disposition), address, disposition, detail);
  CheckPopup(route::GamePopup(address, disposition), address, disposition, detail);
  CheckPopup(route::PayPopup(address, disposition), address, disposition, detail);

  const route::Decision game = route::GameNavigation(address, host);
  CheckDecision(game, address, detail);
  // Without a portal host no address counts as the portal's.
  if (host.isEmpty()) TARVEX_FUZZ_REQUIRE(std::holds_alternative<route::None>(game.action), detail);
  return 0;
}
