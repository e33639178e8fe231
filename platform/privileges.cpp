#include "platform/privileges.h"

#include <unistd.h>

namespace tarvex {

bool IsRunningAsRoot() { return ::geteuid() == 0; }

}  // namespace tarvex
