#include "os/sim/sim_faults.h"

#include <vector>

#include "os/text.h"

namespace os::sim {

namespace {
constexpr uint32_t kNotReady = 21;
}  // namespace

bool MatchesGlob(const std::string& pattern, const std::string& text) {
    const std::string p = Upcase(pattern);
    const std::string t = Upcase(text);
    // Iterative matching with one backtrack point for the last star.
    size_t pi = 0;
    size_t ti = 0;
    size_t star = std::string::npos;
    size_t mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {  // a star first, even over a literal "*" in the text
            star = pi++;
            mark = ti;
        } else if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

void SimFaults::Add(SimOperation operation, std::string pattern, uint32_t error, int times) {
    faults_.push_back({operation, std::move(pattern), error, times});
}

void SimFaults::FailNth(uint64_t n, uint32_t error) {
    nth_ = count_ + n;
    nthError_ = error;
}

void SimFaults::AtNth(uint64_t n, Event action) {
    eventAt_ = count_ + n;
    event_ = std::move(action);
}

uint32_t SimFaults::Check(SimOperation operation, const std::string& path) {
    if (poweredOff_) {
        return kNotReady;
    }
    ++count_;
    if (event_ && count_ == eventAt_) {
        Event action = std::move(event_);
        event_ = nullptr;
        if (const uint32_t error = action(path)) {
            return error;
        }
    }
    if (count_ == nth_) {
        nth_ = 0;
        return nthError_;
    }
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->operation != operation || !MatchesGlob(it->pattern, path)) {
            continue;
        }
        const uint32_t error = it->error;
        if (it->remaining > 0 && --it->remaining == 0) {
            faults_.erase(it);
        }
        return error;
    }
    return 0;
}

}  // namespace os::sim
