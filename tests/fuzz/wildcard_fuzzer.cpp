// Fuzzes the matching of search patterns (FindFirstFile's "*", "?", "*.*" and "*." meanings),
// which the simulated machine's searches and the revision search rely on: no pattern hangs or
// crashes it, and the rules every pattern keeps hold.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "os/text.h"
#include "os/wildcard.h"

namespace {

// Ends the run with the line of the rule that did not hold.
void Fail(int line) {
    std::fprintf(stderr, "rule at line %d does not hold\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? void() : Fail(__LINE__))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // pattern NUL name
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    if (split == std::string_view::npos) {
        return 0;
    }
    const std::string_view pattern = input.substr(0, split);
    const std::string_view name = input.substr(split + 1);
    const bool matches = os::MatchesSearchPattern(pattern, name);

    // Letter case never matters.
    Check(os::MatchesSearchPattern(os::Upcase(pattern), os::Upcase(name)) == matches);
    // "*" and "*.*" take every name; a name without wildcards takes itself.
    if (!name.empty()) {
        Check(os::MatchesSearchPattern("*", name));
        Check(os::MatchesSearchPattern("*.*", name));
        if (!os::HasWildcards(name)) {
            Check(os::MatchesSearchPattern(name, name));
        }
    }
    // A pattern without wildcards takes only its own name (ignoring case).
    if (!os::HasWildcards(pattern) && matches) {
        Check(os::EqualsIgnoreCase(pattern, name) ||
              (pattern.ends_with('.') && os::EqualsIgnoreCase(pattern.substr(0, pattern.size() - 1), name)));
    }
    // A star in front of a pattern that matches keeps it matching with any prefix.
    if (matches && name.size() < 64) {
        Check(os::MatchesSearchPattern("*" + std::string(pattern), "x" + std::string(name)));
    }
    return 0;
}
