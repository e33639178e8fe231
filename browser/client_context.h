#pragma once

#include <QString>

namespace tarvex {

class DefaultBrowser;
class Prompt;
class Views;

// What the routing rules of a client act on. Every referenced object must outlive the client.
struct ClientContext {
  Prompt& prompt;
  DefaultBrowser& defaultBrowser;
  Views& views;
  QString portalHost;
};

}  // namespace tarvex
