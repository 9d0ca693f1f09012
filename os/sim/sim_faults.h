#pragma once
// Fault injection of the simulated machine: "fail operation X on paths like Y with error Z".

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace os::sim {

enum class SimOperation {
    Open,
    Read,
    Write,
    SetFileTimes,  // through a handle
    Flush,         // through a handle
    Delete,
    Move,  // matched against the source path
    CreateDirectory,
    RemoveDirectory,
    GetAttributes,  // GetAttributes and GetFileInfo
    SetAttributes,
    Find,         // matched against the search pattern
    VolumeQuery,  // GetVolumeSpace and GetVolumeInfo, matched against the path given
    ChangeNotification,
    RegistryOpen,   // matched against "HKCU\key\path" (HKCR, HKLM likewise)
    RegistryQuery,  // matched against "HKCU\key\path:value name"
    RegistrySet,
    RegistryDelete,
};

class SimFaults {
  public:
    // Makes the next `times` operations of this kind on a matching path fail with error (times
    // < 0: every one). pattern is a search pattern matched against the whole path ignoring case,
    // where * also crosses backslashes.
    void Add(SimOperation operation, std::string pattern, uint32_t error, int times = -1);
    // Makes the n-th checked operation from now (1 = the next one), of any kind and on any path,
    // fail with error: a test can fail each operation of a run in turn.
    void FailNth(uint64_t n, uint32_t error);
    // At the n-th checked operation from now, runs action (under the machine's lock) with that
    // operation's path; the operation then fails with what action returns, or goes on with 0.
    // This is how a power cut or a pulled medium lands on an exact step of a run.
    using Event = std::function<uint32_t(const std::string& path)>;
    void AtNth(uint64_t n, Event action);
    // While the power is off every operation fails with 21 (ERROR_NOT_READY), uncounted.
    void SetPoweredOff(bool off) { poweredOff_ = off; }
    bool PoweredOff() const { return poweredOff_; }
    // How many operations have been checked so far.
    uint64_t OperationCount() const { return count_; }
    void Clear() {
        faults_.clear();
        nth_ = 0;
        event_ = nullptr;
    }
    // The error to fail with, or 0; counts the use.
    uint32_t Check(SimOperation operation, const std::string& path);

  private:
    struct Fault {
        SimOperation operation;
        std::string pattern;
        uint32_t error;
        int remaining;
    };
    std::vector<Fault> faults_;
    uint64_t count_ = 0;
    uint64_t nth_ = 0;  // the count at which to fail, 0 for none
    uint32_t nthError_ = 0;
    uint64_t eventAt_ = 0;  // the count at which event_ runs
    Event event_;
    bool poweredOff_ = false;
};

// Matches text against pattern with * (any run, backslashes too) and ? (one character),
// ignoring case.
bool MatchesGlob(const std::string& pattern, const std::string& text);

}  // namespace os::sim
