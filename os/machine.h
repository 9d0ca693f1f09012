#pragma once
// The four ports together: what the program's portable code is given of the machine it runs on.

#include "os/clock.h"
#include "os/file_system.h"
#include "os/registry.h"
#include "os/system.h"

namespace os {

struct Machine {
    FileSystem& files;
    Registry& registry;
    Clock& clock;
    System& system;
};

}  // namespace os
