// Corvant Ferrolin 2: the program's entry point.

#include "app/mirror_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // One application object for the run; its destruction stops the engine and saves the retry
    // list after the message loop has ended.
    auto application = std::make_unique<app::CKRVMirrorApp>();
    if (!application->InitInstance(GetCommandLineW())) {
        return 0;
    }
    return application->Run();
}
