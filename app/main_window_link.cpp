#include "app/main_window_link.h"

#include "app/messages.h"
#include "framework/text.h"
#include "res/resource.h"

namespace app {

// The prompts and the progress dialog carry the program's title too, so the class is part of
// the search: a WM_CLOSE meant for the main window must never reach a dialog.
void MainWindowPoster::Post(UINT message) {
    static const std::wstring title = fw::Wide(fw::LoadText(IDS_TITLE));
    if (const HWND window = FindWindowW(kMainWindowClass, title.c_str())) {
        PostMessageW(window, message, 0, 0);
    }
}

void MainWindowPoster::PostOpen() {
    Post(WMU_OPEN);
}

void MainWindowPoster::PostAnimateStart() {
    Post(WMU_ANIMATE_START);
}

void MainWindowPoster::PostAnimateStop() {
    Post(WMU_ANIMATE_STOP);
}

void MainWindowPoster::PostClose() {
    Post(WM_CLOSE);
}

}  // namespace app
