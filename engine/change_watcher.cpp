#include "engine/change_watcher.h"

#include "os/errors.h"

namespace engine {

uint32_t ChangeWatcher::Start(os::Event& changeEvent, const std::vector<std::string>& folders) {
    Stop();
    stop_ = false;  // cleared before the thread exists, so an early Stop is never lost
    lastError_ = 0;
    changeEvent_ = &changeEvent;
    folders_ = folders;
    if (folders_.empty()) {
        return os::kErrorSuccess;
    }
    return clock_.StartThread([this] { Run(); }, thread_);
}

void ChangeWatcher::Stop() {
    stop_ = true;
    if (thread_) {
        // The thread looks at the stop flag at least once a second. Should it still be inside
        // the system's wait, the destructor of the thread joins it.
        thread_->WaitForExit(1500);
        thread_.reset();
    }
}

void ChangeWatcher::Run() {
    // The event is the engine's: the watcher only sets it, and leaves alone a signal it did not
    // give (a copy command that came while the watcher started).
    std::vector<std::unique_ptr<os::ChangeNotification>> notifications;
    uint32_t error = os::kErrorSuccess;
    for (std::string folder : folders_) {
        if (stop_) {
            break;
        }
        if (folder.size() > 3 && folder.back() == '\\') {
            folder.pop_back();
        }
        std::unique_ptr<os::ChangeNotification> notification;
        error = files_.OpenChangeNotification(folder, true, kFilter, notification);
        if (error != os::kErrorSuccess) {
            break;  // one folder that cannot be watched ends the watch of all of them
        }
        notifications.push_back(std::move(notification));
    }
    // With more folders than one wait can take, each group gets a share of the second.
    const size_t groups = (notifications.size() + kFoldersPerWait - 1) / kFoldersPerWait;
    const auto slice =
        static_cast<uint32_t>(groups <= 1 ? 1000 : std::max<size_t>(1000 / groups, 10));
    while (error == os::kErrorSuccess && !stop_) {
        for (size_t first = 0; first < notifications.size() && !stop_ && error == os::kErrorSuccess;
             first += kFoldersPerWait) {
            std::vector<os::Waitable*> group;
            for (size_t i = first; i < notifications.size() && i < first + kFoldersPerWait; ++i) {
                group.push_back(notifications[i].get());
            }
            const os::WaitResult result = clock_.WaitForAny(group, slice);
            if (result.status == os::WaitStatus::Signalled) {
                changeEvent_->Set();
                error = notifications[first + result.index]->Rearm();
            } else if (result.status == os::WaitStatus::Failed) {
                error = result.error == 0 ? os::kErrorInvalidHandle : result.error;
            }
        }
    }
    lastError_ = error;
}

}  // namespace engine
