#pragma once

#include <QString>

namespace tarvex {

class DefaultBrowser;
class Prompt;
class Views;
class WindowRegistry;

// What the routing rules of a client act on. Every referenced object must outlive the client.
struct ClientContext {
  Prompt& prompt;
  DefaultBrowser& defaultBrowser;
  Views& views;
  WindowRegistry& windows;  // takes the pop-ups and dev tools the client opens
  QString portalHost;
};

}  // namespace tarvex
