#include "engine/progress.h"

#include "engine/path_text.h"

namespace engine {

namespace {

constexpr size_t kFolderNameLength = 32;

// The last component of the folder that holds the file: the text between the last two
// backslashes of its path ("C:" for a file in a drive root).
std::string FolderNameOf(const std::string& path) {
    const size_t last = path.rfind('\\');
    if (last == std::string::npos) {
        return {};
    }
    const size_t before = last == 0 ? std::string::npos : path.rfind('\\', last - 1);
    const size_t start = before == std::string::npos ? 0 : before + 1;
    return path.substr(start, last - start);
}

}  // namespace

ProgressDisplay ProgressEstimate::Tick(uint64_t nowTickMs, unsigned percent,
                                       const std::string& source, const std::string& destination,
                                       std::optional<uint32_t> foldersCompared) {
    if (foldersCompared && percent < 100) {
        startTick_ = nowTickMs;  // the copy has not begun
        last_ = {};
        last_.comparing = true;
        last_.foldersCompared = *foldersCompared;
        return last_;
    }
    ProgressDisplay display = last_;
    display.comparing = false;
    const uint64_t elapsed = (nowTickMs - startTick_) / 1000;
    if (percent > 100) {
        percent = 100;
    }
    display.position = percent;
    if (!source.empty() && !destination.empty()) {
        display.namesShown = true;
        display.fileName = GetFileNamePart(source);
        display.folderName = AbbreviatePath(FolderNameOf(source), kFolderNameLength, true);
    }
    const auto fraction = static_cast<float>(percent);
    if (percent != 0 && fraction != lastPercent_ && elapsed > 10) {
        lastPercent_ = fraction;
        const auto remaining =
            static_cast<uint64_t>((100.0f - fraction) / fraction * static_cast<float>(elapsed));
        if (remaining == 0) {
            display.remaining = ProgressDisplay::Remaining::None;
        } else if (remaining < 60) {
            display.remaining = ProgressDisplay::Remaining::Seconds;
            display.remainingValue = static_cast<unsigned>(remaining);
        } else if (elapsed % 10 == 0) {
            display.remaining = ProgressDisplay::Remaining::Minutes;
            display.remainingValue = static_cast<unsigned>(remaining / 60);
        }
    }
    display.close = percent >= 100;
    last_ = display;
    return display;
}

}  // namespace engine
