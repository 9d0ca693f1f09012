#pragma once
// Watches the source folders for the schedule "on every save": a thread waits on change
// notifications for all of them and signals the engine's wake event whenever a file or folder
// under them is created, deleted or renamed, or a file's size or last-write time changes. It says
// only that something changed; the pass finds out what.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os/clock.h"
#include "os/file_system.h"

namespace engine {

class ChangeWatcher {
  public:
    // File and folder names, sizes and last-write times; attribute changes (the copier clearing
    // the archive bit) do not count.
    static constexpr uint32_t kFilter =
        os::kNotifyFileName | os::kNotifyDirectoryName | os::kNotifySize | os::kNotifyLastWrite;
    // One wait covers at most this many folders (the system's limit); more are watched in turns
    // of this many, each wait a fraction of a second.
    static constexpr size_t kFoldersPerWait = 64;

    // Why the watch ended by itself: the folder that could not be watched (empty when a wait
    // failed) and the system's error.
    struct Failure {
        std::string folder;
        uint32_t error = 0;
    };

    ChangeWatcher(os::FileSystem& files, os::Clock& clock) : files_(files), clock_(clock) {}
    // Stops the thread and waits for every thread the watcher started.
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Copies the folder list and starts the thread; returns 0 or the system error of starting it.
    // With no folders there is nothing to watch: no thread is started and the result is 0. When
    // the watch ends by itself (a folder that cannot be watched, a failed wait) the thread signals
    // the event once more, so that its owner looks at LastFailure.
    uint32_t Start(os::Event& changeEvent, const std::vector<std::string>& folders);
    // Ends the thread, waiting at most about a second and a half for it. A thread still inside
    // the system (opening a notification on a share that does not answer can take minutes) is
    // kept aside and ends by itself; it signals nothing more.
    void Stop();
    // The thread's result once it has ended: 0, or the error that ended it.
    uint32_t LastError() const;
    // Why the last watch ended by itself; nothing while it runs or when it was stopped.
    std::optional<Failure> LastFailure() const;
    bool IsRunning() const { return thread_ != nullptr && !thread_->WaitForExit(0); }

  private:
    // One watch: what its thread works from and reports, shared with the thread so that a thread
    // kept aside by Stop never touches the next watch's state.
    struct Watch {
        std::atomic<bool> stop{false};
        std::vector<std::string> folders;
        os::Event* changeEvent = nullptr;
        mutable std::mutex mutex;  // guards failure
        std::optional<Failure> failure;
    };

    static void Run(os::FileSystem& files, os::Clock& clock, Watch& watch);

    os::FileSystem& files_;
    os::Clock& clock_;
    std::shared_ptr<Watch> watch_;
    std::unique_ptr<os::Thread> thread_;
    std::vector<std::unique_ptr<os::Thread>> keptAside_;
};

}  // namespace engine
