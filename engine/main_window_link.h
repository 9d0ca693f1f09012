#pragma once
// How the engine reaches the program's hidden main window: it only posts, never sends, so its
// threads never wait for the user-interface thread. Each call finds the window by its title;
// without a window nothing is posted.

namespace engine {

class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;
    virtual void PostOpen() = 0;          // 0x401: open the settings
    virtual void PostAnimateStart() = 0;  // 0x405: a pass is starting
    virtual void PostAnimateStop() = 0;   // 0x406: it is over
    virtual void PostClose() = 0;         // WM_CLOSE: the user chose to disable the program
};

// For a program without a main window (and for tests that do not look).
class NoMainWindow final : public MainWindowLink {
  public:
    void PostOpen() override {}
    void PostAnimateStart() override {}
    void PostAnimateStop() override {}
    void PostClose() override {}
};

}  // namespace engine
