#pragma once
// Composing and splitting paths with the platform's separator.

#include <string>

namespace fractan {

inline constexpr char kPathSeparator = '/';

// The part after the last separator (the whole path when it has none).
std::string FileNameOf(const std::string& path);

// The text up to (not including) its last '.'; empty when it has none.
std::string BeforeLastDot(const std::string& text);

// folder + separator + name, exactly one separator inserted.
std::string JoinPath(const std::string& folder, const std::string& name);

// Why a test name (or another part of the file names of a run, named by
// `field`) cannot be one: a separator in it would put the files outside the
// output folder (without one, even ".." stays a part of a name). Empty when it can.
std::string TestNameRefusal(const std::string& testName, const char* field = "Test name");

}  // namespace fractan
