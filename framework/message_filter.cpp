#include "framework/message_filter.h"

#include <algorithm>
#include <vector>

namespace fw {

namespace {

// The filters of this thread, newest last, and the one hook that offers them the messages.
thread_local std::vector<MessageFilter*> filters;
thread_local HHOOK threadHook = nullptr;

}  // namespace

bool MessageFilter::Start(Filter filter) {
    filter_ = std::move(filter);
    if (started_) {
        return true;
    }
    if (threadHook == nullptr) {
        threadHook =
            SetWindowsHookExW(WH_GETMESSAGE, &MessageFilter::Hook, nullptr, GetCurrentThreadId());
        if (threadHook == nullptr) {
            return false;
        }
    }
    filters.push_back(this);
    started_ = true;
    return true;
}

void MessageFilter::Stop() {
    if (!started_) {
        return;
    }
    started_ = false;
    filters.erase(std::remove(filters.begin(), filters.end(), this), filters.end());
    if (filters.empty() && threadHook != nullptr) {
        UnhookWindowsHookEx(threadHook);
        threadHook = nullptr;
    }
}

LRESULT CALLBACK MessageFilter::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        // A copy: a filter may stop itself or others while it works. The newest filter (the
        // innermost dialog) is asked first.
        const std::vector<MessageFilter*> current = filters;
        for (auto it = current.rbegin(); it != current.rend() && message->message != WM_NULL;
             ++it) {
            MessageFilter* filter = *it;
            if (std::find(filters.begin(), filters.end(), filter) == filters.end() ||
                !filter->filter_) {
                continue;
            }
            if (filter->filter_(*message)) {
                message->message = WM_NULL;  // used: no loop acts on it
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace fw
