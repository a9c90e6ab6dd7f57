#pragma once
// Small helpers shared by the `fractan` subcommands.

#include <ostream>
#include <string>
#include <vector>

namespace fractan::cli {

bool IsFolder(const std::string& path);

bool CanRead(const std::string& path);

// "fractan: <what>: [file] [file] …" on one line.
void ReportFiles(std::ostream& err, const std::string& what, const std::vector<std::string>& files);

}  // namespace fractan::cli
