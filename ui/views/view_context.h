#pragma once

#include "browser/client_context.h"
#include "platform/services.h"

#include <QRect>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QWidget;

namespace tarvex {

class BrowserClient;
class BrowserRuntime;
class CookieCleaner;
class MainWindowLink;

// Creates a window's browser as a child of `parent` at `rect`, served by `client`,
// loading `address`; returns the browser's widget.
using BrowserFactory = std::function<QWidget*(QWidget* parent, const QRect& rect,
                                              const std::shared_ptr<BrowserClient>& client,
                                              const QString& address)>;

// Everything a game or pay window works with besides its own parameters. The referenced
// objects must outlive the window.
struct ViewContext {
  Services services;
  ClientContext client;  // what the routing rules of the window's browser client act on
  MainWindowLink& mainWindow;
  CookieCleaner& cookies;
  BrowserFactory createBrowser;
  // Whether the desktop shows tray icons (a game window goes to the tray only then).
  std::function<bool()> trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
};

// The factory of the real browsers of `runtime`, which must be initialised and outlive them.
BrowserFactory RuntimeBrowserFactory(BrowserRuntime& runtime);

}  // namespace tarvex
