#include "drivekit/drvkit_text.h"

#include <array>

#include "drivekit/drvkit_types.h"

namespace drvKit {

const char* QWord::toDecDigits(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0) {
        return "";
    }
    std::array<char, 20> digits{};  // 18446744073709551615 has 20
    size_t count = 0;
    uint64_t rest = value_;
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (count + 1 > size) {
        buffer[0] = '\0';
        return buffer;
    }
    for (size_t i = 0; i < count; ++i) {
        buffer[i] = digits[count - 1 - i];
    }
    buffer[count] = '\0';
    return buffer;
}

std::string QWord::toDecString() const {
    char buffer[21];
    return toDecDigits(buffer, sizeof buffer);
}

std::string FormatVolumeSerial(uint32_t serial) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(9, '-');
    for (int i = 0; i < 8; ++i) {
        const auto nibble = (serial >> (28 - 4 * i)) & 0xF;
        text[i < 4 ? i : i + 1] = kHex[nibble];
    }
    return text;
}

char NormalizeDriveLetter(char letter) {
    if (letter >= 'a' && letter <= 'z') {
        return static_cast<char>(letter - 'a' + 'A');
    }
    return letter >= 'A' && letter <= 'Z' ? letter : '\0';
}

std::string RootPathOf(char letter) {
    const char upper = NormalizeDriveLetter(letter);
    if (upper == '\0') {
        return {};
    }
    return std::string{upper, ':', '\\'};
}

std::string LabelText(std::string_view volumeLabel, std::string_view kindName, char letter) {
    std::string label(volumeLabel);
    for (char& c : label) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = ' ';
        }
    }
    const size_t first = label.find_first_not_of(' ');
    if (first == std::string::npos) {
        label = kindName;
    } else {
        label = label.substr(first, label.find_last_not_of(' ') - first + 1);
    }
    const char upper = NormalizeDriveLetter(letter);
    if (upper == '\0') {
        return label;
    }
    const std::string drivePart = std::string{'(', upper, ':', ')'};
    return label.empty() ? drivePart : label + " " + drivePart;
}

int IconForSubFamily(int subFamily) {
    switch (subFamily) {
        case 1:
            return 119;
        case 2:
            return 125;
        case 3:
            return 122;
        case 4:
            return 123;
        case 5:
            return 120;
        case 6:
            return 124;
        case 7:
            return 121;
        case 11:
        case 15:
            return 126;
        default:
            return 0;
    }
}

}  // namespace drvKit
