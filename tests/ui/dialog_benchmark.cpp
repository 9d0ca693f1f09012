// How long a prompt takes to come up and go again: creating each dialog from its template (with
// the title band, fonts, close button and link) and destroying it, averaged over many rounds.
// Run it under Wine: tools/wine-run.sh build/windows/tests/ui/ui_dialog_benchmark.exe

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "framework/application.h"
#include "res/resource.h"
#include "ui/prompts/disk_prompts.h"
#include "ui/prompts/message_dialogs.h"
#include "ui/prompts/notice_prompts.h"

namespace {

void Measure(const char* name, const std::function<std::unique_ptr<fw::Dialog>()>& make) {
    constexpr int kRounds = 40;
    {
        // The first dialog of a process also loads fonts and the common controls; not counted.
        const std::unique_ptr<fw::Dialog> warmUp = make();
        warmUp->CreateModeless(nullptr);
    }
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        const std::unique_ptr<fw::Dialog> dialog = make();
        if (!dialog->CreateModeless(nullptr)) {
            std::printf("%-22s could not be created\n", name);
            return;
        }
        ShowWindow(dialog->hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(dialog->hwnd());
        fw::Application::PumpPending();
    }
    const double total =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-22s %7.2f ms to show and close\n", name, total / kRounds);
}

}  // namespace

int main() {
    fw::Application::Initialise();
    const os::SystemTime date{2026, 12, 0, 7, 0, 0, 0, 0};
    // Wine's display driver settles during the first hundred or so windows of a process; those
    // are shown before anything is timed.
    for (int round = 0; round < 150; ++round) {
        ui::CKRVMessageDlg warmUp(IDD_NO_DRIVE);
        warmUp.CreateModeless(nullptr);
        ShowWindow(warmUp.hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(warmUp.hwnd());
        fw::Application::PumpPending();
    }
    Measure("115 wrong disk", [] { return std::make_unique<ui::CKRVWrongDiskDlg>(); });
    Measure("160 no disk", [] { return std::make_unique<ui::CKRVNoDiskDlg>(); });
    Measure("136 insert disk", [] {
        return std::make_unique<ui::CKRVInsertDiskDlg>(IDI_DRIVE_1, "Corvant Drive (F:)");
    });
    Measure("162 file too large",
            [] { return std::make_unique<ui::CKRVFileTooLargeDlg>("C:\\Films\\Holiday.mkv"); });
    Measure("202 disk becoming full", [] { return std::make_unique<ui::CKRVDiskFillingDlg>(); });
    Measure("209 no drive", [] { return std::make_unique<ui::CKRVMessageDlg>(IDD_NO_DRIVE); });
    Measure("104 disk full", [&] { return std::make_unique<ui::CKRVDiskFullDlg>(date, date); });
    return 0;
}
