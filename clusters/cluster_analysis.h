#pragma once
// The cluster analysis of a series held in memory: the clusters between its
// crossings with its moving averages, and the distributions of their
// lifetime, area, length and diameter, as the files of a run hold them.
//
//   fractan::ClusterSettings s;
//   s.sizes = {10, 20, 40};
//   fractan::ClusterResult r = fractan::AnalyseClusters(series, s);
//   for (size_t i = 0; i < r.all.lifetime.centres.size(); ++i) use(r.all.lifetime.frequencies[i]);

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "clusters/cluster_analyzer.h"
#include "engine/analysis.h"

namespace fractan {

struct ClusterSettings {
    std::vector<int32_t> sizes;  // moving-average window sizes
    bool extended = false;       // the first-order average instead of the trailing mean
    bool logarithmic = false;    // distributions of decimal logarithms
    double step = 1.0;           // bin width (in log10 units when logarithmic)
    bool perWindow = false;      // also the distributions of every window size
    // Samples above badAbove and values that are not numbers are replaced by
    // the one before (0 for the first), as a run does with the files it reads.
    bool replaceBadData = true;
    double badAbove = kDefaultBadAbove;
};

// One distribution: its statistics, and its bins as the files list them.
struct DistributionSummary {
    int32_t count = 0;
    double step = 0.0;  // the bin width: the settings', or a multiple that needs fewer bins than a file may hold
    double minimum = 0.0, maximum = 0.0, mu = 0.0, sigma = 0.0, skewness = 0.0, kurtosis = 0.0;
    std::vector<double> centres, frequencies;  // none when no bin is built
};

struct ClusterDistributions {
    DistributionSummary lifetime, area, length, diameter;
};

struct ClusterResult {
    AnalysisStatus status = AnalysisStatus::kRefused;  // kAnalysed, kRefused (with the reason) or kStopped
    std::string reason;
    std::vector<Cluster> clusters;  // in the order found: window by window, each from the start
    ClusterDistributions all;
    std::vector<ClusterDistributions> perWindow;  // with perWindow, one per window size
};

ClusterResult AnalyseClusters(std::span<const double> samples, const ClusterSettings& settings);

}  // namespace fractan
