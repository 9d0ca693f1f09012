// Fuzzes the reading of paths that come from outside (the registry's source list, search
// results, the retry list): the normalising every Win32 call applies, the test of names a backup
// disk cannot hold, and the shortening of paths for messages. A normalised path reads again as
// itself; its names are all ones a file can have; a shortened path fits its length.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/path_text.h"
#include "os/errors.h"
#include "os/path_names.h"

namespace {

// Ends the run with the line of the rule that did not hold.
void Fail(int line) {
    std::fprintf(stderr, "rule at line %d does not hold\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? void() : Fail(__LINE__))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool pattern = (data[0] & 1) != 0;
    const size_t longest = 1 + data[0] % 255;
    const std::string_view path(reinterpret_cast<const char*>(data + 1), size - 1);

    os::NormalizedPath normalized;
    if (os::NormalizePath(path, pattern, normalized) == os::kErrorSuccess) {
        const std::string full = normalized.Full();
        for (size_t i = 0; i < normalized.parts.size(); ++i) {
            const std::string& part = normalized.parts[i];
            const bool last = i + 1 == normalized.parts.size();
            const os::NameProblem problem = os::ProblemOfName(part);
            // Wildcards only in a pattern's last name; nothing a file name cannot hold.
            Check(problem != os::NameProblem::InvalidCharacter ||
                  (pattern && last && part.find_first_of("*?") != std::string::npos));
            if (!normalized.literal && !(pattern && last)) {
                Check(problem != os::NameProblem::TrailingDotOrSpace);
                Check(part != "." && part != "..");
            }
        }
        // What came out reads again as itself: taken literally always, and as an ordinary path
        // when nothing in it depended on the prefix.
        os::NormalizedPath again;
        Check(os::NormalizePath("\\\\?\\" + std::string(full.starts_with("\\\\") ? "UNC" : "") +
                                    (full.starts_with("\\\\") ? full.substr(1) : full),
                                pattern, again) == os::kErrorSuccess);
        Check(again.parts == normalized.parts && again.volume == normalized.volume);
        if (!normalized.literal) {
            Check(os::NormalizePath(full, pattern, again) == os::kErrorSuccess);
            Check(again.Full() == full);
        }
    }
    std::string bad;
    if (os::ProblemOfPath(path, longest, &bad) != os::NameProblem::None) {
        Check(path.find(bad) != std::string_view::npos);
    }

    // Shortened for the prompts (42) and the progress dialog (32), or any length.
    for (size_t length : {size_t{32}, size_t{42}, longest}) {
        for (bool keepName : {true, false}) {
            const std::string shown = engine::AbbreviatePath(path, length, keepName);
            Check(engine::CharacterCount(shown) <= length || (keepName && shown ==
                  engine::GetFileNamePart(path)));
        }
    }
    return 0;
}
