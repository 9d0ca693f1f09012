#pragma once
// The copy progress dialog (192): the animation, the bar, the file and folder being copied and
// the time left, refreshed every second from the engine's progress state; Cancel stops the copy.

#include <optional>

#include "engine/progress.h"
#include "os/clock.h"
#include "ui/common/base_dialog.h"

namespace ui {

class CKRVProgressDlg : public CKRVBaseDlg {
  public:
    CKRVProgressDlg(engine::ProgressState& state, os::Clock& clock);
    // Runs one timer tick at once (the dialog's timer does this every second).
    void Tick();
    // The copy animation opened and plays.
    bool animationPlaying() const { return animationPlaying_; }

  protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void StopAnimationAndTimer();

    engine::ProgressState& state_;
    os::Clock& clock_;
    std::optional<engine::ProgressEstimate> estimate_;
    bool cancelled_ = false;
    bool animationPlaying_ = false;
};

}  // namespace ui
