#pragma once
// Cluster analysis: the stretches between successive crossings of a series
// and its moving average, and the distributions of their sizes.

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "clusters/block_array.h"
#include "clusters/distribution.h"
#include "setup/containers.h"
#include "setup/parameters.h"
#include "setup/series_loader.h"

namespace fractan {

// One stretch from a crossing (start) to the next (end).
struct Cluster {
    int32_t start = 0;
    int32_t end = 0;
    int32_t fileIndex = -1;
    int32_t windowIndex = -1;
    double area = 0.0;    // Σ |y_t − a_t| over t = start + 1 … end
    double length = 0.0;  // |y_end − y_start|

    int32_t Lifetime() const { return end - start; }
    // The hypotenuse of lifetime and length.
    double Diameter() const {
        const double tau = Lifetime();
        return std::sqrt(tau * tau + length * length);
    }
};

// The distributions of the four measures of a set of clusters (of decimal
// logarithms with `logarithmic`, each value above 0 only).
struct ClusterQuantities {
    Distribution lifetime, area, length, diameter;
    void Add(const Cluster& c, bool logarithmic);
};

// One set of quantities per window index 0 … windows − 1, or with windows 0
// one set of all the clusters.
std::vector<ClusterQuantities> QuantitiesOf(const BlockArray<Cluster>& clusters, int32_t windows, bool logarithmic);

class ClusterAnalyzer {
public:
    static constexpr int32_t kClusterBlock = 100000;

    // `count` samples from sample `offset` on (of the file's `column`), or
    // fewer when the file is shorter, as LoadSeriesPart reads them. False,
    // after a line naming the file, when it cannot be opened or read as
    // asked, and false (quietly) when a stop is requested.
    bool Load(const std::string& path, int32_t fileType, int32_t offset, int32_t count, const std::string& column = {});
    // Samples above `above`, and values that are not numbers, are replaced by
    // the sample before (0.0 for the first): a line names each of the first
    // kBadDataNamed, and one more counts them all when there are more.
    void ReplaceBadData(double above = kDefaultBadAbove);
    static constexpr int32_t kBadDataNamed = 10;

    // Releases the moving average and sets both windows to length n.
    void SetWindowLength(int32_t n);

    // The series held in memory instead of loaded (copied, or taken over).
    void SetSeries(std::span<const double> samples);
    void SetSeries(SampleArray&& samples) { series_ = std::move(samples); }

    // The moving average of the series with the trailing ("Standard") or the
    // first-order ("Extended") window, then the clusters between its
    // crossings, tagged with the file and window indices, and a line saying
    // how many. False when stopped. With `found`, the number is stored there
    // instead of said (a run says it in list order, with the run's total).
    bool FindClusters(int32_t fileIndex, int32_t windowIndex, int32_t* found = nullptr);
    bool FindClustersExtended(int32_t fileIndex, int32_t windowIndex, int32_t* found = nullptr);
    // Appends clusters found by another analyzer.
    void AppendClusters(const BlockArray<Cluster>& clusters);
    // The clusters found, handed over; none are left.
    BlockArray<Cluster> TakeClusters() { return std::exchange(clusters_, BlockArray<Cluster>(kClusterBlock)); }

    // The distribution files (of decimal logarithms with `logarithmic`): with
    // `sizes`, those of each window size n, named stem + "." + n +
    // ".r<Quantity>.txt", else those over all clusters, named stem +
    // ".All.r<Quantity>.txt". False when stopped.
    bool WriteDistributions(const std::string& stem, const SizeList* sizes, double step, bool logarithmic);
    // The series and its moving average, one "y<TAB>a" line per sample.
    bool WriteMovingAverageFile(const std::string& path) const;

    const SampleArray& Series() const { return series_; }
    const SampleArray& MovingAverage() const { return average_; }
    const BlockArray<Cluster>& Clusters() const { return clusters_; }
    // Paths of the distribution files that could not be created.
    const std::vector<std::string>& Unwritten() const { return unwritten_; }

private:
    template <class Window>
    bool Detect(Window& window, bool extended, int32_t fileIndex, int32_t windowIndex, int32_t* found);

    SampleArray series_;
    SampleArray average_;
    RunningWindow standard_;
    FirstOrderWindow extended_;
    BlockArray<Cluster> clusters_{kClusterBlock};
    std::vector<std::string> unwritten_;
};

// The fewest samples that can hold a cluster: it runs from one crossing to
// the next, and the first sample crosses nothing.
inline constexpr int32_t kLeastClusterSamples = 3;

// The fewest samples of an extended window: the trend is fitted to the
// n − 1 samples before each one, and one sample has none.
inline constexpr int32_t kLeastExtendedWindow = 3;

// What a cluster run did, for callers that report it.
struct ClusterRunSummary {
    bool refused = false;  // a line said why nothing was analysed
    bool stopped = false;
    int32_t clusters = 0;
    std::vector<std::string> notAnalysed;  // input files that could not be loaded
    std::vector<std::string> unwritten;    // files that could not be created
};

// Why samples above `above` cannot be taken for bad data (it is not a
// number), or empty.
std::string BadAboveRefusal(double above);

// Why these moving-average windows cannot be used, or empty.
std::string ClusterWindowsRefusal(std::span<const int32_t> sizes, bool extended);

// Why the parameters cannot be analysed, or empty: the window size (samples
// taken) must hold a cluster, and the progression must give window sizes of
// at least 1 ("Standard") or kLeastExtendedWindow ("Extended").
std::string CheckClusterParameters(const AnalysisParameters& params);

// Every input file and every window size, then the per-window and global
// distribution files. False when there is no input file (nothing printed) or
// when the parameters are refused (after a line saying why).
// `loaded`: the series of a one-file run already loaded by the caller.
bool RunClusterAnalysis(AnalysisParameters& params, ClusterRunSummary* summary = nullptr,
                        LoadedSeries* loaded = nullptr);

}  // namespace fractan
