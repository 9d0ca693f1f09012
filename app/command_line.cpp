#include "app/command_line.h"

#include <string>

#include "framework/windows_api.h"

namespace app {

StartWord StartWordOf(std::wstring_view commandLine) {
    const std::wstring line(commandLine);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(line.c_str(), &count);
    if (arguments == nullptr) {
        return StartWord::None;
    }
    StartWord word = StartWord::None;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view argument = arguments[i];
        if (!argument.empty() && (argument.front() == L'/' || argument.front() == L'-')) {
            continue;  // an option, not the word
        }
        if (argument == L"StartUp") {
            word = StartWord::StartUp;
        } else if (argument == L"NoStartUp") {
            word = StartWord::NoStartUp;
        } else {
            word = StartWord::Other;
        }
        break;
    }
    LocalFree(arguments);
    return word;
}

StartAction DecideStartAction(bool configured, StartWord word, uint32_t mirrorStatus) {
    if (!configured) {
        return word == StartWord::NoStartUp ? StartAction::Nothing : StartAction::RunSetupWizard;
    }
    if (word == StartWord::StartUp || word == StartWord::NoStartUp) {
        return StartAction::Nothing;
    }
    return mirrorStatus == 0 ? StartAction::OpenSettings : StartAction::Nothing;
}

}  // namespace app
