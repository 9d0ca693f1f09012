// How long the shell's sized work takes (a program, not a test): loading and drawing the splash
// picture with its transparent colour in each colour-depth variant, building the tray menu with
// its item states, and, under Wine, the real program's start to its main window and a second
// start's hand-over to it.
//   shell_benchmark.exe [rounds]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/bitmap_window.h"
#include "app/main_window.h"
#include "app/system_tray.h"
#include "framework/application.h"
#include "framework/gdi.h"
#include "tests/app/e2e_support.h"
#include "tests/app/program_runner.h"
#include "tests/drivekit/wine_media.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BenchmarkPicture(int depth, int rounds) {
    app::CKRVBitmapWnd::OverrideColourDepthForTesting(depth);
    app::CKRVBitmapWnd window;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        window.LoadBitmap("IDB_SPLASH");
    }
    const double load = MillisecondsSince(start) / rounds;
    const RECT picture = window.GetPictureRect();
    const HDC screen = GetDC(nullptr);
    fw::MemoryDc target(CreateCompatibleDC(screen));
    fw::Bitmap targetBitmap(CreateCompatibleBitmap(screen, picture.right, picture.bottom));
    fw::Selection selected(target.Get(), targetBitmap.Get());
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        window.DrawPicture(target.Get(), screen, POINT{100, 100}, picture.right, picture.bottom);
    }
    const double draw = MillisecondsSince(start) / rounds;
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        window.DrawPicture(target.Get(), screen, POINT{100, 100}, picture.right * 3 / 2,
                           picture.bottom * 3 / 2);
    }
    const double stretched = MillisecondsSince(start) / rounds;
    ReleaseDC(nullptr, screen);
    std::printf("%-13s %dx%d: load %.3f ms, draw %.3f ms, stretched draw %.3f ms\n",
                window.loadedName().c_str(), static_cast<int>(picture.right),
                static_cast<int>(picture.bottom), load, draw, stretched);
    app::CKRVBitmapWnd::OverrideColourDepthForTesting(0);
}

void BenchmarkMenu(int rounds) {
    engine::SharedState shared;
    app::CKRVSystemTray tray(shared);
    tray.SetDefaultMenuItem(app::kCommandOpen, false);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        shared.progress.shown = (i % 2) == 0;
        DestroyMenu(tray.BuildMenu());
    }
    std::printf("tray menu with its states: %.1f us\n", MillisecondsSince(start) * 1000 / rounds);
}

// The real program in the prefix, configured to wait quietly.
void BenchmarkStarts(int rounds) {
    if (!winetest::RunningUnderWine()) {
        return;
    }
    endtoend::EndLeftoverInstances();
    endtoend::Configuration configuration;
    configuration.destination = L"F:\\";
    configuration.diskId = L"1234-ABCD";
    configuration.sources = {L"C:\\Ferrolin Benchmark"};
    configuration.startTime = 133485408000000000ULL;
    endtoend::CreateFolders(L"C:\\Ferrolin Benchmark");
    endtoend::WriteConfiguration(configuration);
    double toWindow = 0;
    double handOver = 0;
    int measured = 0;
    for (int i = 0; i < rounds; ++i) {
        Clock::time_point start = Clock::now();
        endtoend::RunningProgram first;
        const HWND window = first.WaitForMainWindow(20000);
        if (window == nullptr) {
            break;
        }
        toWindow += MillisecondsSince(start);
        start = Clock::now();
        endtoend::RunningProgram second;
        DWORD code = 0;
        if (!second.WaitForExit(20000, code)) {
            break;
        }
        handOver += MillisecondsSince(start);
        ++measured;
        // Let the first instance's settings splash pass before it is ended.
        Sleep(1000);
    }
    endtoend::DeleteProgramKey();
    endtoend::RemoveTree(L"C:\\Ferrolin Benchmark");
    if (measured > 0) {
        std::printf(
            "program start to its main window: %.0f ms; second start handing over and "
            "ending: %.0f ms (%d rounds)\n",
            toWindow / measured, handOver / measured, measured);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 50;
    fw::Application::Initialise();
    for (const int depth : {4, 8, 24}) {
        BenchmarkPicture(depth, rounds);
    }
    BenchmarkMenu(rounds * 20);
    BenchmarkStarts(std::max(1, rounds / 10));
    return 0;
}
