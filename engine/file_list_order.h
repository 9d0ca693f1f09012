#pragma once
// FileList::OrderByTime, a template (the filter is the caller's).

#include <algorithm>

namespace engine {

template <typename Keep>
void FileList::OrderByTime(Keep keep) {
    Compact();
    order_.clear();
    order_.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Stored& e = entries_[i];
        if (keep(FileEntryView{e.Path(), e.time, e.size})) {
            order_.push_back(static_cast<uint32_t>(i));
        }
    }
    // Stable: files with equal times keep the order in which the scan found them.
    std::stable_sort(order_.begin(), order_.end(), [this](uint32_t a, uint32_t b) {
        return entries_[a].time < entries_[b].time;
    });
}

}  // namespace engine
