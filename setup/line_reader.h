#pragma once
// The line readers shared by every text format of the system.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace fractan {

// Reads up to the next line end (consumed, not stored) or the end of the file;
// a byte of value 255 ends the read like the end of the file. Trims white space
// at both ends; true when the line is not empty.
bool ReadTrimmedLine(std::FILE* file, std::string& line);

// At the start of a file, consumes a UTF-8 byte-order mark, which some
// editors write before the first line; anything else is left unread.
void SkipByteOrderMark(std::FILE* file);

// At the start of a file, true when it begins with a UTF-16 byte-order mark
// (either order), whose byte 255 would read as the end; nothing is consumed.
bool StartsAsUtf16(std::FILE* file);

// Removes white space at both ends.
std::string Trim(const std::string& text);

// The word of a file quoted for a message, cut after 40 characters.
std::string Shown(const std::string& word);

// The whole number a word is, all of it (a leading '+' allowed), or none.
std::optional<int32_t> WholeNumber(const std::string& word);

}  // namespace fractan
