// How long the folder picker's window stays unresponsive while a folder of 50,000 files is added
// to its list: the size is summed on a thread of its own, so the window should answer throughout.
// A watcher thread sends the window a message every 5 ms and notes the longest wait for an
// answer. For comparison, the time the same sum takes when done on the window's own thread (what
// the window would freeze for without the worker).
//
// Run it under Wine: tools/wine-run.sh build/windows/tests/ui/ui_folder_picker_benchmark.exe
// (the folder is made once in the temporary folder, "Ferrolin picker bench", and kept).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "engine/folder_scanner.h"
#include "framework/application.h"
#include "framework/text.h"
#include "os/win32/win32_file_system.h"
#include "res/resource.h"
#include "ui/common/folder_picker.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

bool MakeFiles(const std::wstring& folder, int count) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string data(1000, 'x');
    for (int i = 0; i < count; ++i) {
        const std::wstring name = folder + L"\\file " + std::to_wstring(i) + L".dat";
        if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        const HANDLE file =
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD written = 0;
        WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        CloseHandle(file);
    }
    return true;
}

// Sends the window WM_NULL again and again from another thread; the longest wait for an answer.
class Watcher {
  public:
    explicit Watcher(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const auto start = Clock::now();
                  DWORD_PTR answer = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
                  const double waited = Milliseconds(Clock::now() - start);
                  if (waited > longest_) {
                      longest_ = waited;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
              finished_ = true;
          }) {}
    ~Watcher() { Finish(); }
    // The window's own thread ends the watch, answering the last message while it waits; the
    // longest wait, that last one included.
    double Finish() {
        stop_ = true;
        while (!finished_) {
            fw::Application::PumpPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        return longest_;
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

}  // namespace

int main() {
    fw::Application::Initialise();
    constexpr int kFiles = 50000;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring base = std::wstring(temp) + L"Ferrolin picker bench";
    const std::wstring big = base + L"\\Fifty thousand";
    CreateDirectoryW(base.c_str(), nullptr);
    std::printf("Making %d files (once)...\n", kFiles);
    if (!MakeFiles(big, kFiles)) {
        std::printf("could not make the files\n");
        return 1;
    }
    const std::string folder = fw::Utf8(big);
    os::win32::Win32FileSystem files;

    // The sum on the window's own thread, as a synchronous picker would do it (warm cache).
    engine::FolderScanner scanner(files);
    scanner.FolderSize(folder);
    const auto syncStart = Clock::now();
    const uint64_t bytes = scanner.FolderSize(folder);
    const double synchronous = Milliseconds(Clock::now() - syncStart);

    ui::CKRVFolderPickerDlg picker(files, nullptr, fw::Utf8(base), 1u << 2);
    if (!picker.CreateModeless(nullptr)) {
        std::printf("could not open the picker\n");
        return 1;
    }
    ShowWindow(picker.hwnd(), SW_SHOW);
    fw::Application::PumpPending();
    double longestOpening = 0;
    double longestAdding = 0;
    double untilFigure = 0;
    double selecting = 0;
    {
        // Opening the tree at the folder reads its parent's folders and looks into each: this
        // runs on the window's thread (the wait cursor shows), so the watcher times it too.
        Watcher watcher(picker.hwnd());
        const auto selectStart = Clock::now();
        picker.SelectPath(folder + "\\");
        selecting = Milliseconds(Clock::now() - selectStart);
        longestOpening = watcher.Finish();
    }
    {
        Watcher watcher(picker.hwnd());
        const auto start = Clock::now();
        SendMessageW(picker.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PICKER_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker.hwnd(), IDC_PICKER_ADD)));
        picker.WaitForSize(600000);
        untilFigure = Milliseconds(Clock::now() - start);
        longestAdding = watcher.Finish();
    }
    const std::string shown = fw::GetText(GetDlgItem(picker.hwnd(), IDC_PICKER_COPY_SIZE));
    DestroyWindow(picker.hwnd());

    std::printf("folder of %d files, %llu bytes\n", kFiles, static_cast<unsigned long long>(bytes));
    std::printf("sum on the window's thread (what a synchronous picker freezes for): %.0f ms\n",
                synchronous);
    std::printf("opening the tree at the folder: %.0f ms\n", selecting);
    std::printf("add until the figure shows (\"%s\"): %.0f ms\n", shown.c_str(), untilFigure);
    std::printf("longest time the window did not answer while the tree opened: %.1f ms\n",
                longestOpening);
    std::printf("longest time the window did not answer while the size was summed: %.1f ms\n",
                longestAdding);
    return 0;
}
