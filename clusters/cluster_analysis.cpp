#include "clusters/cluster_analysis.h"

namespace fractan {
namespace {

DistributionSummary SummaryOf(Distribution& d, double step, bool logarithmic) {
    d.SetStep(step);
    DistributionSummary s;
    s.count = d.Count();
    s.step = d.Step();
    if (s.count == 0) return s;
    s.minimum = d.Minimum();
    s.maximum = d.Maximum();
    s.mu = d.Mu();
    s.sigma = d.Sigma();
    s.skewness = d.Skewness();
    s.kurtosis = d.Kurtosis();
    d.Frequencies(logarithmic, s.centres, s.frequencies);
    return s;
}

ClusterDistributions DistributionsOf(ClusterQuantities& q, const ClusterSettings& s) {
    return {SummaryOf(q.lifetime, s.step, s.logarithmic), SummaryOf(q.area, s.step, s.logarithmic),
            SummaryOf(q.length, s.step, s.logarithmic), SummaryOf(q.diameter, s.step, s.logarithmic)};
}

}  // namespace

ClusterResult AnalyseClusters(std::span<const double> samples, const ClusterSettings& settings) {
    ClusterResult result;
    result.reason = ClusterWindowsRefusal(settings.sizes, settings.extended);
    if (result.reason.empty() && settings.replaceBadData) result.reason = BadAboveRefusal(settings.badAbove);
    if (samples.size() < static_cast<size_t>(kLeastClusterSamples) && result.reason.empty())
        result.reason = "There are " + std::to_string(samples.size()) + " samples; a cluster needs at least " +
                        std::to_string(kLeastClusterSamples) + ".";
    if (!result.reason.empty()) return result;

    ClusterAnalyzer analyzer;
    analyzer.SetSeries(samples);
    if (settings.replaceBadData) analyzer.ReplaceBadData(settings.badAbove);
    const int32_t K = static_cast<int32_t>(settings.sizes.size());
    for (int32_t j = 0; j < K; ++j) {
        analyzer.SetWindowLength(settings.sizes[j]);
        if (!(settings.extended ? analyzer.FindClustersExtended(0, j) : analyzer.FindClusters(0, j))) {
            result.status = AnalysisStatus::kStopped;
            return result;
        }
    }
    analyzer.Clusters().ForEach([&](const Cluster& c) { result.clusters.push_back(c); });
    result.all = DistributionsOf(QuantitiesOf(analyzer.Clusters(), 0, settings.logarithmic)[0], settings);
    if (settings.perWindow)
        for (ClusterQuantities& q : QuantitiesOf(analyzer.Clusters(), K, settings.logarithmic))
            result.perWindow.push_back(DistributionsOf(q, settings));
    result.status = AnalysisStatus::kAnalysed;
    return result;
}

}  // namespace fractan
