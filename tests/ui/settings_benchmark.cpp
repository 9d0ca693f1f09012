// How long the settings window takes to come up: the dialog with its sheet and three pages, and
// the file exclusion dialog with few and with many registered file types (a Windows machine with
// many programs has several hundred). Over the simulated machine, so that only the windows count.
// Run it under Wine: tools/wine-run.sh build/windows/tests/ui/ui_settings_benchmark.exe

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/application.h"
#include "tests/ui/settings_test_shell.h"
#include "ui/settings/file_exclusion_dialog.h"
#include "ui/settings/settings_dialog.h"

namespace {

double MeasureMs(int rounds, const std::function<std::unique_ptr<fw::Dialog>()>& make) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        const std::unique_ptr<fw::Dialog> dialog = make();
        if (!dialog->CreateModeless(nullptr)) {
            return -1;
        }
        ShowWindow(dialog->hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(dialog->hwnd());
        fw::Application::PumpPending();
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count() /
           rounds;
}

void AddFileTypes(test::SettingsShell& shell, int count) {
    std::unique_ptr<os::RegistryKey> key;
    for (int i = 0; i < count; ++i) {
        const std::string extension = ".x" + std::to_string(i);
        const std::string program = "Bench.Type" + std::to_string(i);
        // A type that could not be written is simply not offered.
        if (shell.sim.registry().CreateKey(os::Hive::ClassesRoot, extension, key) == 0) {
            (void)key->SetValue("", os::RegistryValue::String(program));
        }
        if (shell.sim.registry().CreateKey(os::Hive::ClassesRoot, program, key) == 0) {
            (void)key->SetValue("", os::RegistryValue::String("Document " + std::to_string(i)));
        }
    }
}

}  // namespace

int main() {
    fw::Application::Initialise();
    test::SettingsShell shell;
    shell.Configure();
    const ui::SettingsAtOpen atOpen = ui::LoadSettingsAtOpen(shell.store, 9 * 60);
    // The first windows of a process load fonts and settle Wine's display driver; not counted.
    MeasureMs(20, [&] { return std::make_unique<ui::CKRVSettingsDlg>(shell, atOpen); });

    std::printf("%-44s %8.1f ms\n", "settings dialog with its three pages", MeasureMs(20, [&] {
                    return std::make_unique<ui::CKRVSettingsDlg>(shell, atOpen);
                }));
    std::printf("%-44s %8.1f ms\n", "exclusion dialog, 6 registered types", MeasureMs(20, [&] {
                    return std::make_unique<ui::CKRVFileExclusionDlg>(shell, nullptr);
                }));
    for (const int types : {500, 2000}) {
        test::SettingsShell many;
        AddFileTypes(many, types);
        const auto start = std::chrono::steady_clock::now();
        std::vector<settings::KnownFileType> found;
        settings::EnumerateFileTypes(many.sim.registry(), found);
        const double enumerated =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%-44s %8.1f ms\n",
                    ("  of which reading " + std::to_string(found.size()) + " types").c_str(),
                    enumerated);
        const std::string name = "exclusion dialog, " + std::to_string(types + 6) + " types";
        std::printf("%-44s %8.1f ms\n", name.c_str(), MeasureMs(3, [&] {
                        return std::make_unique<ui::CKRVFileExclusionDlg>(many, nullptr);
                    }));
    }
    return 0;
}
