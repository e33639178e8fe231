#include "game_page.h"

#include "page_texts.h"
#include "text_codec.h"

namespace portal {

std::string GamePageHtml(const GameInfo& game) {
  // Ids end up inside a script's string and addresses, so they are percent-encoded;
  // the name only appears as text.
  std::string html = ReplaceAll(std::string(page_texts::kGameHtml), "@NAME@", HtmlEscape(game.name));
  html = ReplaceAll(html, "@ID@", PercentEncode(game.id));
  html = ReplaceAll(html, "@SERVER@", PercentEncode(game.server));
  return ReplaceAll(html, "@FAN@", HtmlEscape(game.fan_page));
}

}  // namespace portal
