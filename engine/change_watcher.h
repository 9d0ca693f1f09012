#pragma once
// Watches the source folders for the schedule "on every save": a thread waits on change
// notifications for all of them and signals the engine's wake event whenever a file or folder
// under them is created, deleted or renamed, or a file's size or last-write time changes. It says
// only that something changed; the pass finds out what.

#include <atomic>
#include <cstdint>
#include <memory>
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

    ChangeWatcher(os::FileSystem& files, os::Clock& clock) : files_(files), clock_(clock) {}
    ~ChangeWatcher() { Stop(); }
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Copies the folder list and starts the thread; returns 0 or the system error of starting it.
    // With no folders there is nothing to watch: no thread is started and the result is 0.
    uint32_t Start(os::Event& changeEvent, const std::vector<std::string>& folders);
    // Ends the thread, waiting at most about a second for it.
    void Stop();
    // The thread's result once it has ended: 0, or the error that ended it (a folder that could
    // not be watched, a failed wait).
    uint32_t LastError() const { return lastError_; }
    bool IsRunning() const { return thread_ != nullptr && !thread_->WaitForExit(0); }

  private:
    void Run();

    os::FileSystem& files_;
    os::Clock& clock_;
    os::Event* changeEvent_ = nullptr;
    std::unique_ptr<os::Thread> thread_;
    std::vector<std::string> folders_;
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> lastError_{0};
};

}  // namespace engine
