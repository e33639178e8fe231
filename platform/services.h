#pragma once

#include "platform/hosts.h"

namespace tarvex {

class Clock;
class DefaultBrowser;
class ProgramStarter;
class Prompt;

// The side effects the windows need, handed down through constructors. The objects
// referred to must outlive every window that holds this record.
struct Services {
  Prompt& prompt;
  DefaultBrowser& defaultBrowser;
  ProgramStarter& programStarter;
  Clock& clock;
  Hosts hosts;
};

}  // namespace tarvex
