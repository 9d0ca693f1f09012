#pragma once
// Folder-search patterns with the meaning FindFirstFile gives them: "*" and "?", where "*.*" is
// every name, "*." the names without an extension, "?" before a dot or at the end may match
// nothing, and letters compare ignoring case. (Windows also matches a pattern against the 8.3
// short name of an entry; names here have no short form.)

#include <string_view>

namespace os {

bool MatchesSearchPattern(std::string_view pattern, std::string_view name);
// True when the text has * or ?.
bool HasWildcards(std::string_view text);

}  // namespace os
