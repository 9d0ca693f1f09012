#pragma once
// A look at every message this thread takes from its queue, before any message loop acts on it:
// a modal dialog's own loop, a property sheet's or the application's. A filter that returns true
// has used the message, and nobody else sees it.

#include <functional>

#include "framework/windows_api.h"

namespace fw {

class MessageFilter {
  public:
    using Filter = std::function<bool(MSG& message)>;

    MessageFilter() = default;
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;
    ~MessageFilter() { Stop(); }

    // Starts filtering this thread's messages (a second Start replaces the filter).
    bool Start(Filter filter);
    void Stop();
    bool active() const { return started_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    Filter filter_;
    bool started_ = false;
};

}  // namespace fw
