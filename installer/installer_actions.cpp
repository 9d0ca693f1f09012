// The package's custom actions, in a DLL that Windows Installer runs from the package itself.

#include <windows.h>
// windows.h first: msiquery.h needs its types.
#include <msi.h>
#include <msiquery.h>

#include "installer/running_program.h"

namespace {

// Set when a running program was ended, so that the package starts the new one afterwards.
constexpr wchar_t kWasRunningProperty[] = L"FERROLINWASRUNNING";

constexpr wchar_t kStillRunningMessage[] =
    L"Corvant Ferrolin 2 is running and could not be closed: one of its windows is open. "
    L"Close that window and try again.";

}  // namespace

// Before files are installed or removed: ends the running program through its own protocol.
// Fails the installation (nothing is changed) when the program stays, rather than replacing or
// removing the files of a program that is still copying.
extern "C" __declspec(dllexport) UINT __stdcall EndRunningProgram(MSIHANDLE install) {
    switch (installer::EndRunningProgram()) {
        case installer::EndResult::NotRunning:
            return ERROR_SUCCESS;
        case installer::EndResult::Ended:
            MsiSetPropertyW(install, kWasRunningProperty, L"1");
            return ERROR_SUCCESS;
        case installer::EndResult::StillRunning:
            break;
    }
    const MSIHANDLE record = MsiCreateRecord(1);
    if (record != 0) {
        MsiRecordSetStringW(record, 0, kStillRunningMessage);
        MsiProcessMessage(install, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONWARNING),
                          record);
        MsiCloseHandle(record);
    }
    return ERROR_INSTALL_FAILURE;
}
