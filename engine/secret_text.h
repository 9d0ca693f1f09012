#pragma once
// Text that must not linger in memory, such as a disk password: its bytes are overwritten when
// it is cleared or destroyed, and it is never copied by accident.

#include <string>
#include <string_view>

namespace engine {

class SecretText {
  public:
    SecretText() = default;
    explicit SecretText(std::string_view text) : text_(text) {}
    SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }
    SecretText& operator=(SecretText&& other) noexcept {
        if (this != &other) {
            Wipe();
            text_ = std::move(other.text_);
            other.Wipe();
        }
        return *this;
    }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    ~SecretText() { Wipe(); }

    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    // A deliberate copy, for handing the password to the drive library.
    SecretText Copy() const { return SecretText(text_); }

    // Overwrites every byte (through a volatile pointer, so the compiler keeps the stores) and
    // empties the text.
    void Wipe() {
        volatile char* bytes = text_.data();
        for (size_t i = 0; i < text_.capacity(); ++i) {
            bytes[i] = 0;
        }
        text_.clear();
    }

  private:
    std::string text_;
};

}  // namespace engine
