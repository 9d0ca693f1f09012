#include "engine/folder_size_worker.h"

#include "engine/folder_scanner.h"

namespace engine {

FolderSizeWorker::FolderSizeWorker(os::FileSystem& files, Done done)
    : files_(files), done_(std::move(done)) {}

FolderSizeWorker::~FolderSizeWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        if (running_ != nullptr) {
            running_->Cancel();
        }
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

uint64_t FolderSizeWorker::Request(std::vector<std::string> folders) {
    uint64_t number = 0;
    {
        std::lock_guard lock(mutex_);
        folders_ = std::move(folders);
        number = ++latest_;
        if (running_ != nullptr) {
            running_->Cancel();
        }
        if (!thread_.joinable()) {
            thread_ = std::thread(&FolderSizeWorker::Run, this);
        }
    }
    changed_.notify_all();
    return number;
}

std::optional<uint64_t> FolderSizeWorker::Total(uint64_t request) const {
    std::lock_guard lock(mutex_);
    if (request != latest_ || finished_ != latest_) {
        return std::nullopt;
    }
    return total_;
}

uint64_t FolderSizeWorker::LatestRequest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

bool FolderSizeWorker::WaitUntilDone(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return finished_ == latest_ || stop_; });
}

void FolderSizeWorker::Run() {
    uint64_t summed = 0;  // the last request this thread took up
    for (;;) {
        std::vector<std::string> folders;
        uint64_t number = 0;
        FolderScanner scanner(files_);
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || latest_ != summed; });
            if (stop_) {
                return;
            }
            number = latest_;
            folders = folders_;
            running_ = &scanner;
        }
        summed = number;
        uint64_t total = 0;
        bool current = true;
        for (const std::string& folder : folders) {
            total += scanner.FolderSize(folder);
            // The scanner starts each folder afresh, so a cancel is looked for here too.
            std::lock_guard lock(mutex_);
            current = !stop_ && latest_ == number;
            if (!current) {
                break;
            }
        }
        {
            std::lock_guard lock(mutex_);
            running_ = nullptr;
            current = !stop_ && latest_ == number;
            if (current) {
                finished_ = number;
                total_ = total;
            }
        }
        if (current) {
            changed_.notify_all();
            if (done_) {
                done_(number, total);
            }
        }
    }
}

}  // namespace engine
