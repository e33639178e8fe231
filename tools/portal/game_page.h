// The web game: a small HTML5 canvas game ("catch the star orbs, dodge the fireballs")
// with a recharge button that opens the game's app-payment page as a pop-up.
#pragma once

#include <string>

#include "game_info.h"

namespace portal {

// The page of `game`, from pages/game.html with its @NAME@, @ID@, @SERVER@ and @FAN@ markers
// filled in that order.
std::string GamePageHtml(const GameInfo& game);

}  // namespace portal
