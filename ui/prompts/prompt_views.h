#pragma once
// The engine's prompt and progress interfaces, answered with the program's dialogs. Each call
// runs its dialog modally on the calling thread without an owner window.

#include <mutex>
#include <vector>

#include "engine/progress.h"
#include "engine/prompt_view.h"
#include "framework/windows_api.h"

namespace ui {

class DialogPromptView : public engine::PromptView {
  public:
    engine::DiskFullChoice ShowDiskFull(const os::SystemTime& first,
                                        const os::SystemTime& last) override;
    engine::WrongDiskChoice ShowWrongDisk() override;
    engine::NoDiskChoice ShowNoDisk() override;
    bool ShowInsertDisk(int driveIcon, const std::string& labelText) override;
    engine::NoticeChoice ShowFileTooLarge(const std::string& path) override;
    engine::NoticeChoice ShowFileError(const engine::FileErrorDetails& details) override;
    engine::NoticeChoice ShowLongFileName(const std::string& name) override;
    engine::NoticeChoice ShowDiskBecomingFull() override;
    std::optional<engine::SecretText> ShowPassword() override;
    bool ShowProtected() override;
    void ShowWriteProtectSwitch() override;
    // Sends IDCANCEL to the windows of every thread that is inside one of these prompts.
    void CloseOpenPrompts() override;

  private:
    // Notes the calling thread as showing a prompt for its lifetime.
    class Showing {
      public:
        explicit Showing(DialogPromptView& view);
        ~Showing();
        Showing(const Showing&) = delete;
        Showing& operator=(const Showing&) = delete;

      private:
        DialogPromptView& view_;
    };

    std::mutex mutex_;            // guards showing_
    std::vector<DWORD> showing_;  // the threads inside a prompt now
};

class DialogProgressView : public engine::ProgressView {
  public:
    int RunProgressDialog(engine::ProgressState& state, os::Clock& clock) override;
};

}  // namespace ui
