#pragma once

#include <QString>

#include <variant>

// The routing rules of the three browser clients as plain decisions: which window or
// program an address belongs to, and whether the browser's own navigation or pop-up is
// cancelled. The clients answer the engine with Cancels() at once and carry out the
// action afterwards.
namespace tarvex::route {

// Let the page go on; nothing else happens.
struct None {
  bool operator==(const None&) const = default;
};
struct OpenPayView {
  QString address;
  int width = 0;
  int height = 0;
  QString label;
  bool operator==(const OpenPayView&) const = default;
};
struct LaunchGame {
  QString address;
  bool operator==(const LaunchGame&) const = default;
};
struct OpenGameView {
  QString address;
  int openFlag = 0;
  bool operator==(const OpenGameView&) const = default;
};
// Hand the address to the user's browser (which accepts only http and https).
struct OpenDefaultBrowser {
  QString address;
  bool operator==(const OpenDefaultBrowser&) const = default;
};
// Load the address in the client's own browser (a pop-up turned into a navigation; http
// and https only).
struct LoadInOwnBrowser {
  QString address;
  bool operator==(const LoadInOwnBrowser&) const = default;
};
// Close the pay window and hand back to the main window.
struct CloseAndReturn {
  bool operator==(const CloseAndReturn&) const = default;
};
// Nothing to do but stay on the current page (the navigation is cancelled).
struct KeepPage {
  bool operator==(const KeepPage&) const = default;
};

using Action =
    std::variant<None, OpenPayView, LaunchGame, OpenGameView, OpenDefaultBrowser, LoadInOwnBrowser, CloseAndReturn, KeepPage>;

struct Decision {
  Action action;
  // Whether the engine's own navigation or pop-up is cancelled: whenever anything other
  // than letting the page go on is to happen.
  bool Cancels() const { return !std::holds_alternative<None>(action); }
  bool operator==(const Decision&) const = default;
};

// Where a page asked to open a new window. The rules handle the four new-tab, pop-up and
// window values; every other value lets the pop-up open.
enum class PopupDisposition : int {
  Unknown = 0,
  NewForegroundTab = 3,
  NewBackgroundTab = 4,
  NewPopup = 5,
  NewWindow = 6,
};

// Markers are searched case-sensitively anywhere in the address text.
// `portalHost` is the configured portal host as it appears in addresses ("host[:port]").
Decision MainNavigation(const QString& address);
Decision MainPopup(const QString& address, PopupDisposition disposition);
Decision GameNavigation(const QString& address, const QString& portalHost);
Decision GamePopup(const QString& address, PopupDisposition disposition);
Decision PayNavigation(const QString& address);
Decision PayPopup(const QString& address, PopupDisposition disposition);

}  // namespace tarvex::route
