#pragma once
// Paths shortened for messages and the progress display. Lengths count characters (code points),
// not bytes, so a name in any script is cut at a character boundary.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The part of a path after its last "\", "/" or ":".
std::string GetFileNamePart(std::string_view path);

// Shortens a path to at most maxLength characters for display: the drive (or server) and first
// folder stay, then "\...", then as many of the last components as fit; when not even the file
// name fits beside the first folder, the name alone (or nothing when keepName is false and the
// name itself is too long). C:\Program Files\Data\Reports\year.txt becomes
// C:\Program Files\...\Reports\year.txt for 37 characters and year.txt for 25.
std::string AbbreviatePath(std::string_view path, size_t maxLength, bool keepName);

// How many characters the text has.
size_t CharacterCount(std::string_view text);

}  // namespace engine
