#include "drivekit/backend.h"

#include <mutex>
#include <utility>

namespace drvKit {

namespace {

std::mutex installationMutex;
std::shared_ptr<Backend> installed;  // guarded by installationMutex

}  // namespace

void InstallBackend(std::unique_ptr<Backend> backend) {
    std::shared_ptr<Backend> previous;
    {
        std::lock_guard lock(installationMutex);
        previous = std::exchange(installed, std::shared_ptr<Backend>(std::move(backend)));
    }
    // previous is destroyed here, outside the lock, unless a Drive still holds it.
}

std::shared_ptr<Backend> InstalledBackend() {
    std::lock_guard lock(installationMutex);
    return installed;
}

}  // namespace drvKit
