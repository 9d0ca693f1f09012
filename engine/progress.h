#pragma once
// The copy progress shared by the pass, the poll thread and the progress dialog, and the model of
// what the dialog shows each second (its file and folder names and the time remaining).

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace os {
class Clock;
}

namespace engine {

class ProgressState {
  public:
    // 0..100; the pass sets 0 before copying and 100 when it is over, the poll thread what the
    // copier reports in between. The dialog closes when it sees 100.
    std::atomic<unsigned> percent{0};
    // Set when the user cancelled the dialog; the progress threads end.
    std::atomic<bool> cancelled{false};
    // The dialog is up (the tray greys its menu meanwhile).
    std::atomic<bool> shown{false};
    // Before the copy, while the pass compares the source folders with the backup disk: how
    // many folders it has searched so far (the dialog says so in place of a file name).
    std::atomic<bool> comparing{false};
    std::atomic<uint32_t> foldersCompared{0};

    // The poll's figure: stored, at most 99, unless the pass has said 100 already (in one step,
    // so that the poll never takes back the pass's 100). False once it has.
    bool OfferPercent(unsigned copierPercent) {
        const unsigned offered = copierPercent < 99 ? copierPercent : 99;
        unsigned now = percent.load();
        while (now < 100) {
            if (percent.compare_exchange_weak(now, offered)) {
                return true;
            }
        }
        return false;
    }

    void SetNames(std::string source, std::string destination) {
        std::lock_guard lock(mutex_);
        source_ = std::move(source);
        destination_ = std::move(destination);
    }
    std::pair<std::string, std::string> Names() const {
        std::lock_guard lock(mutex_);
        return {source_, destination_};
    }

  private:
    mutable std::mutex mutex_;  // the progress mutex: guards the two names only
    std::string source_;
    std::string destination_;
};

// What the dialog shows after a tick.
struct ProgressDisplay {
    unsigned position = 0;    // the bar, 0..100
    bool namesShown = false;  // the names below are current
    std::string fileName;     // string 57695 with this
    std::string folderName;   // string 57722 with this for both of its %s
    enum class Remaining { None, Seconds, Minutes } remaining = Remaining::None;
    unsigned remainingValue = 0;   // 57697 with seconds, 57696 with minutes
    bool close = false;            // 100 % reached: the dialog ends with 1
    bool comparing = false;        // the folders are being compared: IDS_COMPARING_FOLDERS with
    unsigned foldersCompared = 0;  // this in place of the file's name
};

// One per showing of the dialog, fed by its one-second timer.
class ProgressEstimate {
  public:
    explicit ProgressEstimate(uint64_t startTickMs) : startTick_(startTickMs) {}
    // foldersCompared: while the pass compares the folders with the disk, how many it has
    // searched; the time left is estimated from the copy's own time only.
    ProgressDisplay Tick(uint64_t nowTickMs, unsigned percent, const std::string& source,
                         const std::string& destination,
                         std::optional<uint32_t> foldersCompared = std::nullopt);

  private:
    uint64_t startTick_;
    float lastPercent_ = 0;
    ProgressDisplay last_;
};

// What the user interface supplies: dialog 192, run modally on the calling thread until the
// percentage reaches 100 (returns 1) or the user cancels (sets cancelled and percent = 100,
// returns 2).
class ProgressView {
  public:
    virtual ~ProgressView() = default;
    virtual int RunProgressDialog(ProgressState& state, os::Clock& clock) = 0;
};

}  // namespace engine
