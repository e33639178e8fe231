#pragma once

// The launcher's browser process lives in a shared library that the executable loads only
// when it starts as the launcher. Chromium starts the same executable for its sub-processes
// (zygote, renderers, GPU, utility), and those then map the engine's libraries alone: no
// widgets, no libcurl and its TLS stacks, none of the launcher's code.

namespace tarvex {

// File name of the launcher library; the executable's run path holds its folder.
inline constexpr char kLauncherLibrary[] = "libnimbo_launcher.so";
// Name of the entry the executable looks up in that library.
inline constexpr char kLauncherEntrySymbol[] = "NimboLauncherMain";

}  // namespace tarvex

// Runs the launcher's browser process: the application, the main window and its event
// loop. Takes main()'s arguments unchanged and returns the process's exit code.
extern "C" __attribute__((visibility("default"))) int NimboLauncherMain(int argc, char** argv);
