#pragma once
// The engine's way to the hidden main window: found by its class and title at each call, and
// only ever posted to.

#include "engine/main_window_link.h"
#include "framework/windows_api.h"

namespace app {

class MainWindowPoster final : public engine::MainWindowLink {
  public:
    void PostOpen() override;
    void PostAnimateStart() override;
    void PostAnimateStop() override;
    void PostClose() override;

  private:
    static void Post(UINT message);
};

}  // namespace app
