#pragma once

namespace tarvex {

// The application object of every Chromium sub-process (renderer, GPU, utility). It adds
// nothing of the launcher's own: the process runs the engine and ends.
class SimpleApp {
 public:
  // Whether the engine started this process in one of its sub-process roles.
  static bool IsSubProcessLaunch(int argc, char** argv);

  // Runs the engine's sub-process entry and returns its exit code.
  int ExecuteProcess(int argc, char** argv);
};

}  // namespace tarvex
