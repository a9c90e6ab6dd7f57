#pragma once
// Helpers of the tests: a scratch folder and small file readers and writers.

#include <string>
#include <vector>

namespace fractan::test {

// A fresh folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteText(const std::string& path, const std::string& text);
void WriteNumbers(const std::string& path, const std::vector<double>& values);
void WriteBinary(const std::string& path, const std::vector<double>& values);
std::string ReadText(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);
bool Exists(const std::string& path);

// A Gaussian random walk from a fixed seed.
std::vector<double> RandomWalk(int count, unsigned seed);

// The result line that WriteResultLine writes, as text.
std::string ResultLine(const std::string& fileName, int dataSize, int dataOffset, int position,
                       double hurst);

// Splits a line at tabs.
std::vector<std::string> SplitTabs(const std::string& line);

}  // namespace fractan::test
