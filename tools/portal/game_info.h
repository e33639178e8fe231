// A web game as its address names it.
#pragma once

#include <string>

namespace portal {

struct GameInfo {
  std::string id;
  std::string server;
  std::string name;  // decoded UTF-8
  std::string fan_page;

  // The known web games' name and fan page for an id (a made-up name for others).
  static GameInfo Known(const std::string& id, const std::string& server);
  // The address path of the game on its server: "/mini/play/web/ID/SERVER/NAME/FAN",
  // the name percent-encoded.
  std::string PlayPath() const;
};

}  // namespace portal
