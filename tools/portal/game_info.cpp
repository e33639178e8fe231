#include "game_info.h"

#include "text_codec.h"

namespace portal {

GameInfo GameInfo::Known(const std::string& id, const std::string& server) {
  if (id == "1001") return {id, server, "龙之怒", "dragonfans"};
  if (id == "1002") return {id, server, "星港传说", "starharbor"};
  return {id, server, "Game " + id, "tarvexgames"};
}

std::string GameInfo::PlayPath() const {
  // The id comes from the address of the server list: every field is encoded, so none can
  // end the attribute it is written into.
  return "/mini/play/web/" + PercentEncode(id) + "/" + PercentEncode(server) + "/" + PercentEncode(name) + "/" +
         PercentEncode(fan_page);
}

}  // namespace portal
