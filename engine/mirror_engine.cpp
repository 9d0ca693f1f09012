#include "engine/mirror_engine.h"

#include <algorithm>

#include "engine/retry_log.h"
#include "os/errors.h"
#include "os/text.h"

namespace engine {

namespace {

constexpr uint32_t kSettlingWaitMs = 5000;
constexpr int kSettlingWaits = 30;
constexpr uint32_t kEveryChangeWaitMs =
    300000;  // with the change watcher: a pass every 5 minutes anyway
constexpr uint32_t kLongestWaitPiece = 0x7FFFFFFF;
constexpr uint32_t kStopWaitMs = 2000;
// How long the engine's end waits for a worker in a prompt it has closed: 40 times 250 ms.
constexpr int kClosingWaits = 40;
constexpr uint32_t kClosingWaitMs = 250;

// The worker whose pass runs on this thread; null on other threads (RunPassForFolders runs on the
// user-interface thread while the worker is stopped).
thread_local const CKRVMirrorEngine::WorkerControl* currentWorker = nullptr;

}  // namespace

CKRVMirrorEngine::CKRVMirrorEngine(const EngineServices& services)
    : machine_(services.machine),
      shared_(services.shared),
      mainWindow_(services.mainWindow),
      drives_(services.drives),
      progressView_(services.progressView),
      wizardFinish_(services.wizardFinish),
      retryLogPath_(services.retryLogPath.empty() ? RetryLogPath(services.machine.system)
                                                  : services.retryLogPath),
      store_(services.machine.registry, services.productKey),
      prompts_(services.prompts, store_, services.shared, services.machine.clock,
               services.machine.system),
      wake_(services.machine.clock.CreateEvent(true, false)),
      workerGate_(services.machine.clock.CreateMutex()),
      retryList_(services.machine.files),
      candidates_(services.machine.files),
      scanner_(services.machine.files),
      copier_(services.machine.files, *this, store_, 0),
      watcher_(services.machine.files, services.machine.clock),
      scheduler_(services.machine.clock, store_) {
    // A missing or unreadable file leaves the list empty.
    static_cast<void>(LoadRetryLog(machine_.files, retryLogPath_, retryList_));
    LoadSettings();
}

CKRVMirrorEngine::~CKRVMirrorEngine() {
    Stop();
    {
        // Every thread of the engine ends before its members go. A worker that Stop gave up on
        // is inside a prompt: the prompt is closed (as Cancel) and the worker, which is
        // stopping, ends; so this waits for no one who waits for the user.
        std::lock_guard lock(threadsMutex_);
        prompts_.CloseAll();
        for (int i = 0; i < kClosingWaits && !retired_.empty(); ++i) {
            std::erase_if(retired_, [](const std::unique_ptr<os::Thread>& thread) {
                return thread->WaitForExit(kClosingWaitMs);
            });
            prompts_.CloseAll();  // one that opened meanwhile
        }
        worker_.reset();
        retired_.clear();  // a worker inside a system call that does not return still ends here
    }
    FinishProgress();
    // A failure leaves the files of the list to be found again by their times or attributes.
    static_cast<void>(SaveRetryLog(machine_.files, retryLogPath_, retryList_));
}

// Reads, in this order: last-sync time, sources, exclusions, destination, revisions, warnings,
// show progress, schedule type; then the wait interval of the schedule. A value that cannot be
// read keeps what the snapshot had, by the store's rules (lists and the schedule type read as
// empty and 0); the interval of schedule type 1 is the Scheduling page's 15 minutes when it is
// missing or out of its range, never 0.
void CKRVMirrorEngine::LoadSettings() {
    Snapshot next = snapshot();
    // Each read applies its value's "missing" rule on failure.
    static_cast<void>(store_.ReadStartTime(next.lastSync));
    static_cast<void>(store_.ReadSourceList(next.sources));
    static_cast<void>(store_.ReadFilterList(next.exclusions));
    static_cast<void>(store_.ReadDestination(next.destination));
    static_cast<void>(store_.ReadRevisions(next.revisions));
    static_cast<void>(store_.ReadWarningStatus(next.warnings));
    static_cast<void>(store_.ReadProgressStatus(next.showProgress));
    static_cast<void>(
        store_.ReadSchedulerValue(settings::names::kSchedulerType, next.scheduleType));
    if (next.scheduleType == settings::kScheduleOnEveryChange) {
        next.waitIntervalMs = kEveryChangeWaitMs;
    } else if (next.scheduleType == settings::kScheduleEveryInterval) {
        uint32_t minutes = 0;
        // Gives the default interval whenever the stored one cannot be used.
        static_cast<void>(store_.ReadIntervalMinutes(minutes));
        next.waitIntervalMs = static_cast<uint64_t>(minutes) * 60000;
    } else {
        next.waitIntervalMs = kWaitForever;
    }
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = std::move(next);
}

CKRVMirrorEngine::Snapshot CKRVMirrorEngine::snapshot() const {
    std::lock_guard lock(snapshotMutex_);
    return snapshot_;
}

bool CKRVMirrorEngine::IsWorkerRunning() const {
    std::lock_guard lock(threadsMutex_);
    return worker_ && !worker_->WaitForExit(0);
}

uint32_t CKRVMirrorEngine::Start() {
    std::lock_guard lock(threadsMutex_);
    if (worker_ && !worker_->WaitForExit(0)) {
        return os::kErrorSuccess;  // one worker at a time
    }
    worker_.reset();
    std::erase_if(retired_, [](const std::unique_ptr<os::Thread>& t) { return t->WaitForExit(0); });
    wake_->Reset();  // the signal Stop gave the last worker is not a request for a pass
    auto control = std::make_shared<WorkerControl>();
    control->stopEvent = machine_.clock.CreateEvent(true, false);
    if (!control->stopEvent) {
        return os::kErrorNotEnoughMemory;
    }
    const uint32_t error =
        machine_.clock.StartThread([this, control] { Worker(control); }, worker_);
    if (error == os::kErrorSuccess) {
        control_ = control;
    }
    return error;
}

void CKRVMirrorEngine::Stop() {
    std::lock_guard lock(threadsMutex_);
    // The flag first: whatever the worker starts from now on (a scan, a copy, the watcher or
    // the scheduler) sees it, so the cancels below cannot be lost.
    if (control_) {
        control_->stop = true;
        control_->stopEvent->Set();
    }
    copier_.Cancel();
    scanner_.Cancel();
    StopHelpers();
    wake_->Set();
    if (worker_) {
        if (worker_->WaitForExit(kStopWaitMs)) {
            worker_.reset();
        } else {
            {
                std::lock_guard settingsLock(settingsWriteMutex_);
                control_->retired = true;
            }
            retired_.push_back(std::move(worker_));  // it ends by itself after its prompt
        }
    }
}

void CKRVMirrorEngine::Wake() {
    wake_->Set();
}

void CKRVMirrorEngine::StartHelpers(const Snapshot& settings, const WorkerControl& control) {
    std::lock_guard lock(helpersMutex_);
    if (control.stop) {
        return;  // Stop has stopped them already, or waits for this lock to do so
    }
    // A failure to start leaves the engine to its time-outs and the copy commands.
    if (settings.scheduleType == settings::kScheduleOnEveryChange) {
        static_cast<void>(watcher_.Start(*wake_, settings.sources));
    } else if (settings.scheduleType == settings::kScheduleDaysOfWeek) {
        static_cast<void>(scheduler_.Start(*wake_));
    }
}

void CKRVMirrorEngine::StopHelpers() {
    std::lock_guard lock(helpersMutex_);
    watcher_.Stop();
    // A failure to store the last run only lets a run of today happen again after a restart.
    static_cast<void>(scheduler_.Stop());
}

void CKRVMirrorEngine::ReportDeadWatcher() {
    std::optional<ChangeWatcher::Failure> failure;
    {
        std::lock_guard lock(helpersMutex_);
        failure = watcher_.LastFailure();
    }
    if (!failure) {
        return;
    }
    // A failed wait names no folder: the watch of all of them ended.
    const std::vector<std::string> sources = snapshot().sources;
    const std::string folder = !failure->folder.empty() ? failure->folder
                               : sources.empty()        ? ""
                                                        : sources.front();
    ReportFolder(folder, failure->error);
}

void CKRVMirrorEngine::ReportSkippedFolders() {
    for (const SkippedFolder& skipped : scanner_.Skipped()) {
        ReportFolder(skipped.path, skipped.error);
    }
}

void CKRVMirrorEngine::ReportFolder(const std::string& folder, uint32_t error) {
    if (StopRequested() || folder.empty()) {
        return;
    }
    std::string key = os::Upcase(folder);
    {
        std::lock_guard lock(reportedMutex_);
        if (reportedFolders_.count(key) != 0) {
            return;
        }
    }
    // Another window on screen: it is told at the next pass instead.
    if (prompts_.FileError(folder, error)) {
        std::lock_guard lock(reportedMutex_);
        reportedFolders_.insert(std::move(key));
    }
}

bool CKRVMirrorEngine::StopRequested() const {
    return currentWorker != nullptr && currentWorker->stop;
}

bool CKRVMirrorEngine::Pause(uint32_t milliseconds) {
    if (currentWorker == nullptr) {
        machine_.clock.Sleep(milliseconds);
        return false;
    }
    return machine_.clock.Wait(*currentWorker->stopEvent, milliseconds).status ==
           os::WaitStatus::Signalled;
}

bool CKRVMirrorEngine::CanWaitForPromptGuard() const {
    return currentWorker != nullptr;
}

void CKRVMirrorEngine::RequestCompleteCopy() {
    {
        std::lock_guard lock(settingsWriteMutex_);
        // A failure leaves the last-sync time as it was: the next pass copies what changed.
        static_cast<void>(store_.WriteStartTime(0));
    }
    Wake();
}

uint32_t CKRVMirrorEngine::StoreLastSyncTime(os::FileTime startedFrom, os::FileTime newTime) {
    std::lock_guard lock(settingsWriteMutex_);
    if (currentWorker != nullptr && currentWorker->retired) {
        return os::kErrorSuccess;  // the settings are the sheet's now; these files come again
    }
    os::FileTime stored = startedFrom;
    if (store_.ReadStartTime(stored) == os::kErrorSuccess && stored != startedFrom) {
        return os::kErrorSuccess;  // asked for meanwhile: the next pass starts from what is stored
    }
    {
        std::lock_guard snapshotLock(snapshotMutex_);
        snapshot_.lastSync = newTime;
    }
    return store_.WriteStartTime(newTime);
}

void CKRVMirrorEngine::WriteSetting(const std::function<void()>& write) {
    std::lock_guard lock(settingsWriteMutex_);
    if (currentWorker == nullptr || !currentWorker->retired) {
        write();
    }
}

uint32_t CKRVMirrorEngine::Pass(bool showProgress) {
    return passOverride_ ? passOverride_(showProgress) : RunPass(showProgress);
}

os::WaitStatus CKRVMirrorEngine::WaitForWake(uint64_t intervalMs, const WorkerControl& control) {
    if (intervalMs == kWaitForever) {
        return machine_.clock.Wait(*wake_, os::kInfinite).status;
    }
    // An interval of days is longer than one 32-bit wait: wait in pieces.
    uint64_t left = intervalMs;
    for (;;) {
        const auto piece = static_cast<uint32_t>(std::min<uint64_t>(left, kLongestWaitPiece));
        const os::WaitStatus status = machine_.clock.Wait(*wake_, piece).status;
        if (status != os::WaitStatus::TimedOut) {
            return status;
        }
        left -= piece;
        if (left == 0 || control.stop) {
            return os::WaitStatus::TimedOut;
        }
    }
}

void CKRVMirrorEngine::Worker(const std::shared_ptr<WorkerControl>& control) {
    std::lock_guard gate(*workerGate_);
    currentWorker = control.get();
    copier_.SetStopSignal(&control->stop);
    scanner_.SetStopSignal(&control->stop);
    uint32_t result = os::kErrorSuccess;
    LoadSettings();
    Snapshot settings = snapshot();
    if (settings.destination.empty()) {
        result = os::kErrorBadPathname;
    } else {
        if (settings.lastSync == 0) {
            retryList_.Clear();  // everything is copied anyway
        }
        if ((fullCopyPending_ || settings.lastSync == 0) && !control->stop) {
            mainWindow_.PostAnimateStart();
            result = Pass(true);
            mainWindow_.PostAnimateStop();
            fullCopyPending_ = false;
            LoadSettings();
            settings = snapshot();
        }
        // No reset here: Start did it, and a copy command given since (the tray's "Copy now"
        // right after the start, the session end) must not be lost.
        StartHelpers(settings, *control);
        bool sessionEndCopied = false;
        while (!control->stop && !(shared_.shutdownCopyPending && sessionEndCopied)) {
            // A session end that is waiting for its copy gets it at once, however early it came.
            const os::WaitStatus woke = shared_.shutdownCopyPending
                                            ? os::WaitStatus::Signalled
                                            : WaitForWake(snapshot().waitIntervalMs, *control);
            if (control->stop || woke == os::WaitStatus::Failed) {
                break;
            }
            ReportDeadWatcher();
            mainWindow_.PostAnimateStart();
            if (woke == os::WaitStatus::Signalled) {
                // Let a burst of changes settle: wait until 5 seconds pass without a new
                // signal, but at most 30 times.
                for (int i = 0;
                     i < kSettlingWaits && !control->stop && !shared_.shutdownCopyPending; ++i) {
                    wake_->Reset();
                    if (machine_.clock.Wait(*wake_, kSettlingWaitMs).status !=
                        os::WaitStatus::Signalled) {
                        break;
                    }
                }
            }
            wake_->Reset();
            const bool forSessionEnd = shared_.shutdownCopyPending;
            result = control->stop ? os::kErrorSuccess : Pass(snapshot().showProgress == 1);
            mainWindow_.PostAnimateStop();
            sessionEndCopied = sessionEndCopied || forSessionEnd;
            if (result != os::kErrorSuccess) {
                break;  // no further passes until the engine is started again
            }
        }
        StopHelpers();  // the threads the worker started end with it
    }
    if (shared_.shutdownCopyPending) {
        EndSession();
    }
    lastWorkerResult_ = result;
    copier_.SetStopSignal(nullptr);
    scanner_.SetStopSignal(nullptr);
    currentWorker = nullptr;
}

// The session-end copy is done: shut Windows down, whatever kind of session end it had started.
void CKRVMirrorEngine::EndSession() {
    // Nothing is left to do when Windows refuses: the session goes on as the user left it.
    static_cast<void>(machine_.system.ShutDown());
}

uint32_t CKRVMirrorEngine::StartProgress() {
    FinishProgress();
    shared_.progress.cancelled = false;
    shared_.progress.SetNames({}, {});  // not the last pass's file
    uint32_t error = machine_.clock.StartThread(
        [this] {
            progressView_.RunProgressDialog(shared_.progress, machine_.clock);
            if (shared_.progress.cancelled) {
                copier_.Cancel();
            }
        },
        progressDialogThread_);
    if (error == os::kErrorSuccess) {
        error = machine_.clock.StartThread([this] { ProgressPoll(); }, progressPollThread_);
    }
    return error;
}

// Once at once and then once a second: the copier's percentage and its current names, for the
// dialog to show. Only the pass says 100, which closes the dialog (files that grew since the
// scan can take the copier past 100 % while it still copies): the poll never replaces it.
void CKRVMirrorEngine::ProgressPoll() {
    ProgressState& progress = shared_.progress;
    auto look = [&] {
        if (!copier_.PassRunning()) {
            return progress.percent < 100;  // the copy has not begun: nothing of it to show yet
        }
        progress.SetNames(copier_.CurrentSource(), copier_.CurrentDestination());
        return progress.OfferPercent(copier_.PercentDone());
    };
    if (progress.cancelled || !look()) {
        return;
    }
    for (;;) {
        machine_.clock.Sleep(1000);
        if (progress.cancelled || !look() || progress.cancelled) {
            return;
        }
    }
}

void CKRVMirrorEngine::FinishProgress() {
    progressDialogThread_.reset();  // joins: the dialog closes when it sees 100 or is cancelled
    progressPollThread_.reset();
}

}  // namespace engine
