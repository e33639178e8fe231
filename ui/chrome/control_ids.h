#pragma once

namespace tarvex {

// Control and command ids of the game and pay windows' title strips.
inline constexpr int kTitleLabelId = -1;
inline constexpr int kCloseButtonId = 20001;
inline constexpr int kMaximizeButtonId = 20002;
inline constexpr int kMinimizeButtonId = 20003;
inline constexpr int kTrayButtonId = 20004;
inline constexpr int kReloadButtonId = 20005;
inline constexpr int kClearCookiesButtonId = 20006;
inline constexpr int kServiceButtonId = 20007;
inline constexpr int kFanPageButtonId = 20008;
inline constexpr int kRechargeButtonId = 20009;
inline constexpr int kTrayShowCommandId = 20011;
// Zero-size, never visible: created by the first maximise/restore; the game window's
// layout pass only resizes the browser once it exists.
inline constexpr int kMarkerButtonId = 20012;

}  // namespace tarvex
