#pragma once
// Sums the sizes of a list of folders on a thread of its own, so that the window showing the
// total stays responsive over a large tree. A new request cancels the one running; only the
// latest request's total is ever reported, so a figure never belongs to a list that changed
// meanwhile.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "os/file_system.h"

namespace engine {

class FolderScanner;

class FolderSizeWorker {
  public:
    // Called on the worker thread when a request finished without being replaced, with its
    // number and total; a window posts itself a message here.
    using Done = std::function<void(uint64_t request, uint64_t totalBytes)>;

    FolderSizeWorker(os::FileSystem& files, Done done);
    // Cancels the running request and joins the thread.
    ~FolderSizeWorker();
    FolderSizeWorker(const FolderSizeWorker&) = delete;
    FolderSizeWorker& operator=(const FolderSizeWorker&) = delete;

    // Starts summing these folders and returns the request's number (counting from 1); a request
    // still running is cancelled and its total dropped.
    uint64_t Request(std::vector<std::string> folders);
    // The total of the latest request once it is known.
    std::optional<uint64_t> Total(uint64_t request) const;
    uint64_t LatestRequest() const;
    // Waits until the latest request is done; false when the time ran out first.
    bool WaitUntilDone(std::chrono::milliseconds limit);

  private:
    void Run();

    os::FileSystem& files_;
    Done done_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> folders_;  // of the latest request
    uint64_t latest_ = 0;               // number of the latest request
    uint64_t finished_ = 0;             // number of the last request summed to its end
    uint64_t total_ = 0;                // its total
    FolderScanner* running_ = nullptr;  // the scanner of the request being summed
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace engine
