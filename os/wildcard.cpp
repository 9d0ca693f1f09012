#include "os/wildcard.h"

#include <cstdint>
#include <vector>

#include "os/text.h"

namespace os {

namespace {

// The pattern after FindFirstFile's translation: the DOS forms of the wildcards.
constexpr uint32_t kStar = '*';
constexpr uint32_t kQuestion = '?';
constexpr uint32_t kDosStar = 0x110001;      // "*" before a dot: stops at the last dot
constexpr uint32_t kDosQuestion = 0x110002;  // "?": one character, or nothing before a dot/end
constexpr uint32_t kDosDot = 0x110003;       // "." before a wildcard or at the end: dot or end

std::vector<uint32_t> Decode(std::string_view text, bool upcase) {
    std::vector<uint32_t> out;
    size_t pos = 0;
    while (pos < text.size()) {
        bool valid = true;
        const uint32_t c = DecodeCodePoint(text, pos, valid);
        out.push_back(valid && upcase ? UpcaseCodePoint(c) : c);
    }
    return out;
}

std::vector<uint32_t> Translate(std::string_view pattern) {
    if (pattern == "*.*") {
        return {kStar};
    }
    std::vector<uint32_t> p = Decode(pattern, true);
    for (size_t i = 0; i < p.size(); ++i) {
        const bool last = i + 1 == p.size();
        const uint32_t next = last ? 0 : p[i + 1];
        if (p[i] == '*' && next == '.') {
            p[i] = kDosStar;
        } else if (p[i] == '?') {
            p[i] = kDosQuestion;
        } else if (p[i] == '.' && (last || next == '*' || next == '?')) {
            p[i] = kDosDot;
        }
    }
    return p;
}

class Matcher {
  public:
    Matcher(const std::vector<uint32_t>& pattern, const std::vector<uint32_t>& name)
        : pattern_(pattern), name_(name) {
        lastDot_ = name_.size();
        for (size_t i = name_.size(); i > 0; --i) {
            if (name_[i - 1] == '.') {
                lastDot_ = i - 1;
                break;
            }
        }
        memo_.assign((pattern_.size() + 1) * (name_.size() + 1), kUnknown);
    }

    bool Match(size_t p, size_t n) {
        uint8_t& memo = memo_[p * (name_.size() + 1) + n];
        if (memo == kUnknown) {
            memo = Compute(p, n) ? kYes : kNo;
        }
        return memo == kYes;
    }

  private:
    static constexpr uint8_t kUnknown = 0;
    static constexpr uint8_t kYes = 1;
    static constexpr uint8_t kNo = 2;

    bool Compute(size_t p, size_t n) {
        if (p == pattern_.size()) {
            return n == name_.size();
        }
        const uint32_t c = pattern_[p];
        switch (c) {
            case kStar:
                for (size_t k = n; k <= name_.size(); ++k) {
                    if (Match(p + 1, k)) {
                        return true;
                    }
                }
                return false;
            case kDosStar: {
                // Any run that does not swallow the name's last dot.
                const size_t limit =
                    (lastDot_ < name_.size() && lastDot_ >= n) ? lastDot_ : name_.size();
                for (size_t k = n; k <= limit; ++k) {
                    if (Match(p + 1, k)) {
                        return true;
                    }
                }
                return false;
            }
            case kDosQuestion:
                if (n == name_.size() || name_[n] == '.') {
                    // Nothing here: skip every following DOS question mark.
                    size_t q = p;
                    while (q < pattern_.size() && pattern_[q] == kDosQuestion) {
                        ++q;
                    }
                    return Match(q, n);
                }
                return Match(p + 1, n + 1);
            case kQuestion:
                return n < name_.size() && Match(p + 1, n + 1);
            case kDosDot:
                if (n == name_.size()) {
                    return Match(p + 1, n);
                }
                return name_[n] == '.' && Match(p + 1, n + 1);
            default:
                return n < name_.size() && name_[n] == c && Match(p + 1, n + 1);
        }
    }

    const std::vector<uint32_t>& pattern_;
    const std::vector<uint32_t>& name_;
    size_t lastDot_ = 0;
    std::vector<uint8_t> memo_;
};

}  // namespace

bool MatchesSearchPattern(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") {
        return true;  // every name: the pattern of every folder walk, asked once per entry
    }
    const std::vector<uint32_t> p = Translate(pattern);
    const std::vector<uint32_t> n = Decode(name, true);
    Matcher matcher(p, n);
    return matcher.Match(0, 0);
}

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

}  // namespace os
