#pragma once
// The state the engine, its prompts and the shell share across threads: the guard that keeps
// more than one prompt, settings sheet, wizard or About window off the screen, the flags the
// prompts and the session end set, and the copy progress.

#include <atomic>

#include "engine/progress.h"

namespace engine {

struct SharedState {
    // A prompt, the settings sheet, the wizard or About is showing. Openers take it with
    // TryEnterPrompt and give it back with LeavePrompt; a prompt that cannot take it is skipped.
    std::atomic<bool> promptActive{false};
    // Cleared by a prompt when the user chose "Disable"; the raiser then closes the program.
    std::atomic<bool> stayEnabled{true};
    // A copy at the end of the Windows session is pending; the worker shuts Windows down after it.
    std::atomic<bool> shutdownCopyPending{false};
    // The setup wizard ran since the start; its finish page follows the next pass.
    std::atomic<bool> wizardRan{false};
    // The engine was paused by command 40013.
    std::atomic<bool> enginePaused{false};
    // The copy progress, with progress.shown standing for "the progress dialog is up".
    ProgressState progress;

    bool TryEnterPrompt() {
        bool expected = false;
        return promptActive.compare_exchange_strong(expected, true);
    }
    void LeavePrompt() { promptActive = false; }
};

// Holds the prompt guard for its lifetime when it could take it.
class PromptGuard {
  public:
    explicit PromptGuard(SharedState& shared) : shared_(shared), held_(shared.TryEnterPrompt()) {}
    ~PromptGuard() {
        if (held_) {
            shared_.LeavePrompt();
        }
    }
    PromptGuard(const PromptGuard&) = delete;
    PromptGuard& operator=(const PromptGuard&) = delete;
    bool held() const { return held_; }

  private:
    SharedState& shared_;
    const bool held_;
};

}  // namespace engine
