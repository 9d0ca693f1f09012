#pragma once
// The engine's prompt and progress interfaces, answered with the program's dialogs. Each call
// runs its dialog modally on the calling thread without an owner window.

#include "engine/progress.h"
#include "engine/prompt_view.h"

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
};

class DialogProgressView : public engine::ProgressView {
  public:
    int RunProgressDialog(engine::ProgressState& state, os::Clock& clock) override;
};

}  // namespace ui
