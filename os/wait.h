#pragma once
// Things a thread can wait for through the clock port: events, change notifications, mutexes
// and thread ends. Each implementation of the ports waits only for its own kind.

namespace os {

class Waitable {
  public:
    virtual ~Waitable() = default;
};

}  // namespace os
