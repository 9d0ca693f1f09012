#include "os/sim/sim_system.h"

#include "os/errors.h"

namespace os::sim {

SimSystem::SimSystem()
    : programPath_("C:\\Program Files\\Corvant\\Ferrolin 2\\Ferrolin2.exe"),
      localAppData_("C:\\Users\\User\\AppData\\Local") {}

uint32_t SimSystem::ShutDown() {
    ++shutDownRequests_;
    return shutDownResult_;
}

std::string SimSystem::ProgramPath() {
    std::lock_guard lock(mutex_);
    return programPath_;
}

std::string SimSystem::LocalAppDataFolder() {
    std::lock_guard lock(mutex_);
    return localAppData_;
}

void SimSystem::SetProgramPath(const std::string& path) {
    std::lock_guard lock(mutex_);
    programPath_ = path;
}

void SimSystem::SetLocalAppDataFolder(const std::string& path) {
    std::lock_guard lock(mutex_);
    localAppData_ = path;
}

// The English texts Windows gives the codes the program meets.
std::string SimSystem::ErrorMessageText(uint32_t code) {
    static const std::map<uint32_t, std::string> kTexts = {
        {kErrorFileNotFound, "The system cannot find the file specified.\r\n"},
        {kErrorPathNotFound, "The system cannot find the path specified.\r\n"},
        {kErrorAccessDenied, "Access is denied.\r\n"},
        {kErrorInvalidDrive, "The system cannot find the drive specified.\r\n"},
        {kErrorWriteProtect, "The media is write protected.\r\n"},
        {kErrorNotReady, "The device is not ready.\r\n"},
        {kErrorSharingViolation,
         "The process cannot access the file because it is being used by another process.\r\n"},
        {kErrorDiskFull, "There is not enough space on the disk.\r\n"},
        {kErrorInvalidName,
         "The filename, directory name, or volume label syntax is incorrect.\r\n"},
        {kErrorOperationAborted,
         "The I/O operation has been aborted because of either a thread exit or an application "
         "request.\r\n"},
        {kErrorDeviceNotConnected, "The device is not connected.\r\n"},
    };
    auto it = kTexts.find(code);
    return it == kTexts.end() ? std::string() : it->second;
}

}  // namespace os::sim
