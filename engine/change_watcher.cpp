#include "engine/change_watcher.h"

#include <algorithm>

#include "os/errors.h"

namespace engine {

namespace {

// The thread looks at its stop flag at least once a second.
constexpr uint32_t kStopWaitMs = 1500;

}  // namespace

ChangeWatcher::~ChangeWatcher() {
    Stop();
    keptAside_.clear();  // joins: each ends when the system call it is in returns
}

uint32_t ChangeWatcher::Start(os::Event& changeEvent, const std::vector<std::string>& folders) {
    Stop();
    std::erase_if(keptAside_,
                  [](const std::unique_ptr<os::Thread>& thread) { return thread->WaitForExit(0); });
    // A new watch of its own: its stop flag is clear before the thread exists, so an early Stop is
    // never lost.
    watch_ = std::make_shared<Watch>();
    watch_->changeEvent = &changeEvent;
    watch_->folders = folders;
    if (folders.empty()) {
        return os::kErrorSuccess;
    }
    std::shared_ptr<Watch> watch = watch_;
    return clock_.StartThread(
        [&files = files_, &clock = clock_, watch] { Run(files, clock, *watch); }, thread_);
}

void ChangeWatcher::Stop() {
    if (watch_) {
        watch_->stop = true;
        watch_.reset();  // the thread keeps its own share of it
    }
    if (thread_) {
        if (!thread_->WaitForExit(kStopWaitMs)) {
            keptAside_.push_back(std::move(thread_));
        }
        thread_.reset();
    }
}

uint32_t ChangeWatcher::LastError() const {
    const std::optional<Failure> failure = LastFailure();
    return failure ? failure->error : os::kErrorSuccess;
}

std::optional<ChangeWatcher::Failure> ChangeWatcher::LastFailure() const {
    if (!watch_) {
        return std::nullopt;
    }
    std::lock_guard lock(watch_->mutex);
    return watch_->failure;
}

void ChangeWatcher::Run(os::FileSystem& files, os::Clock& clock, Watch& watch) {
    // The event is the engine's: the watcher only sets it, and leaves alone a signal it did not
    // give (a copy command that came while the watcher started).
    std::vector<std::unique_ptr<os::ChangeNotification>> notifications;
    uint32_t error = os::kErrorSuccess;
    std::string failedFolder;
    for (std::string folder : watch.folders) {
        if (watch.stop) {
            break;
        }
        if (folder.size() > 3 && folder.back() == '\\') {
            folder.pop_back();
        }
        std::unique_ptr<os::ChangeNotification> notification;
        error = files.OpenChangeNotification(folder, true, kFilter, notification);
        if (error != os::kErrorSuccess) {
            failedFolder = folder;
            break;  // one folder that cannot be watched ends the watch of all of them
        }
        notifications.push_back(std::move(notification));
    }
    // With more folders than one wait can take, each group gets a share of the second.
    const size_t groups = (notifications.size() + kFoldersPerWait - 1) / kFoldersPerWait;
    const auto slice =
        static_cast<uint32_t>(groups <= 1 ? 1000 : std::max<size_t>(1000 / groups, 10));
    while (error == os::kErrorSuccess && !watch.stop) {
        for (size_t first = 0;
             first < notifications.size() && !watch.stop && error == os::kErrorSuccess;
             first += kFoldersPerWait) {
            std::vector<os::Waitable*> group;
            for (size_t i = first; i < notifications.size() && i < first + kFoldersPerWait; ++i) {
                group.push_back(notifications[i].get());
            }
            const os::WaitResult result = clock.WaitForAny(group, slice);
            if (result.status == os::WaitStatus::Signalled) {
                watch.changeEvent->Set();
                error = notifications[first + result.index]->Rearm();
            } else if (result.status == os::WaitStatus::Failed) {
                error = result.error == 0 ? os::kErrorInvalidHandle : result.error;
            }
        }
    }
    if (error != os::kErrorSuccess && !watch.stop) {
        {
            std::lock_guard lock(watch.mutex);
            watch.failure = Failure{failedFolder, error};
        }
        watch.changeEvent->Set();  // the owner looks at what ended the watch
    }
}

}  // namespace engine
