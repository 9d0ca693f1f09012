#include "ui/prompts/progress_dialog.h"

#include "framework/controls.h"
#include "framework/text.h"
#include "framework/text_format.h"
#include "res/resource.h"
#include "ui/common/dpi_picture.h"
#include "ui/common/drawing.h"

namespace ui {
namespace {

// The frames of the copy animation at 100 per cent, in pixels.
constexpr SIZE kCopyAnimationFrame = {272, 60};

}  // namespace

CKRVProgressDlg::CKRVProgressDlg(engine::ProgressState& state, os::Clock& clock)
    : CKRVBaseDlg(IDD_PROGRESS), state_(state), clock_(clock) {}

bool CKRVProgressDlg::OnInitDialog() {
    CKRVBaseDlg::OnInitDialog();
    const fw::Animation animation(hwnd(), IDC_PROGRESS_ANIMATION);
    // Without its animation the dialog still shows the progress.
    animationPlaying_ = OpenAnimationForDpi(animation, IDR_COPY_ANIMATION, L"IDR_COPY_ANIMATION",
                                            kCopyAnimationFrame, DpiOf(hwnd())) != 0 &&
                        animation.Play(0, -1, -1);
    fw::Progress(hwnd(), IDC_PROGRESS_BAR).SetRange(0, 100);
    estimate_.emplace(clock_.TickCount());
    SetTimer(hwnd(), IDT_PROGRESS_TICK, 1000, nullptr);
    return true;
}

void CKRVProgressDlg::Tick() {
    if (!estimate_ || hwnd() == nullptr) {
        return;
    }
    const auto [source, destination] = state_.Names();
    std::optional<uint32_t> compared;
    if (state_.comparing) {
        compared = state_.foldersCompared.load();
    }
    const engine::ProgressDisplay display =
        estimate_->Tick(clock_.TickCount(), state_.percent.load(), source, destination, compared);
    fw::Progress(hwnd(), IDC_PROGRESS_BAR).SetPosition(static_cast<int>(display.position));
    if (display.comparing) {
        fw::SetText(Item(IDC_PROGRESS_FILE),
                    fw::FormatText(fw::LoadText(IDS_COMPARING_FOLDERS),
                                   {std::to_string(display.foldersCompared)}));
        fw::SetText(Item(IDC_PROGRESS_FROM_TO), "");
    } else if (display.namesShown) {
        fw::SetText(Item(IDC_PROGRESS_FILE),
                    fw::FormatText(fw::LoadText(IDS_COPYING_FILE), {display.fileName}));
        fw::SetText(
            Item(IDC_PROGRESS_FROM_TO),
            fw::FormatText(fw::LoadText(IDS_FROM_TO), {display.folderName, display.folderName}));
    }
    std::string time;
    const std::string value = std::to_string(display.remainingValue);
    if (display.remaining == engine::ProgressDisplay::Remaining::Seconds) {
        time = fw::FormatText(fw::LoadText(IDS_SECONDS_REMAINING), {value});
    } else if (display.remaining == engine::ProgressDisplay::Remaining::Minutes) {
        time = fw::FormatText(fw::LoadText(IDS_MINUTES_REMAINING), {value});
    }
    fw::SetText(Item(IDC_PROGRESS_TIME), time);
    if (display.close) {
        StopAnimationAndTimer();
        EndDialog(cancelled_ ? IDCANCEL : IDOK);
    }
}

void CKRVProgressDlg::StopAnimationAndTimer() {
    fw::Animation(hwnd(), IDC_PROGRESS_ANIMATION).Close();
    KillTimer(hwnd(), IDT_PROGRESS_TICK);
}

void CKRVProgressDlg::OnCancel() {
    StopAnimationAndTimer();
    cancelled_ = true;
    state_.cancelled = true;
    state_.percent = 100;  // which also ends the poll thread
    EndDialog(IDCANCEL);
}

bool CKRVProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_TIMER && wParam == IDT_PROGRESS_TICK) {
        Tick();
        result = 0;
        return true;
    }
    if (message == WM_CLOSE) {
        // Then the default handling, which turns the close into Cancel.
        StopAnimationAndTimer();
        return false;
    }
    return CKRVBaseDlg::OnMessage(message, wParam, lParam, result);
}

}  // namespace ui
