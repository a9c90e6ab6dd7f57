#include "clusters/cluster_analyzer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>

#include "setup/ordered_jobs.h"
#include "setup/packing.h"
#include "setup/output.h"
#include "setup/paths.h"
#include "setup/stop.h"

namespace fractan {

bool ClusterAnalyzer::Load(const std::string& path, int32_t fileType, int32_t offset, int32_t count,
                           const std::string& column) {
    if (!LoadSeriesPart(series_, path, fileType, offset, count, 100000, column)) return false;
    series_.Compact();
    return true;
}

void ClusterAnalyzer::ReplaceBadData(double above) {
    int32_t replaced = 0;
    for (int32_t i = 0; i < series_.Size(); ++i) {
        const double bad = series_[i];
        // A value that is not a number would end every crossing after it: the
        // running mean keeps it forever. It is replaced like a bad datum.
        if (!(bad > above) && !std::isnan(bad)) continue;
        series_[i] = i == 0 ? 0.0 : series_[i - 1];
        if (++replaced > kBadDataNamed) continue;
        if (i == 0) PrintFormatted("Found bad datum (%g). Replacing with (0.0)\n", bad);
        else PrintFormatted("Found bad datum (%g). Replacing with (%g)\n", bad, series_[i]);
    }
    // A whole series of bad data (prices in cents, say) is one line, not a million.
    if (replaced > kBadDataNamed)
        PrintFormatted("Found %d bad data in all (above %g, or not numbers), each replaced with the sample before "
                       "(0.0 for the first).\n", replaced, above);
}

void ClusterAnalyzer::SetWindowLength(int32_t n) {
    average_.Clear();
    standard_.SetLength(n);
    extended_.SetLength(n);
}

void ClusterAnalyzer::SetSeries(std::span<const double> samples) {
    series_.Clear();
    series_.SetSize(static_cast<int32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), series_.begin());
}

bool ClusterAnalyzer::FindClusters(int32_t fileIndex, int32_t windowIndex, int32_t* found) {
    return Detect(standard_, false, fileIndex, windowIndex, found);
}

bool ClusterAnalyzer::FindClustersExtended(int32_t fileIndex, int32_t windowIndex, int32_t* found) {
    return Detect(extended_, true, fileIndex, windowIndex, found);
}

void ClusterAnalyzer::AppendClusters(const BlockArray<Cluster>& clusters) {
    clusters.ForEach([&](const Cluster& c) { clusters_.Append(c); });
}

template <class Window>
bool ClusterAnalyzer::Detect(Window& window, bool extended, int32_t fileIndex, int32_t windowIndex, int32_t* found) {
    StopCheck stopRequested;
    const int32_t N = series_.Size();
    average_ = SampleArray(N, 10);
    const double* y = series_.Data();
    double* a = average_.Data();
    for (int32_t t = 0; t < N; ++t) {
        a[t] = window.Push(y[t]);
        if (t % 1000 == 0 && stopRequested()) return false;
    }

    const int32_t before = clusters_.Size();
    // The sample whose side the series starts on. The trailing mean starts on
    // the first sample, so the second decides; a series too short to decide
    // has no crossing.
    const int32_t first = N >= 1 && (extended || y[0] != a[0]) ? 0 : 1;
    bool above = first < N && y[first] > a[first];
    int32_t start = -1;  // the last crossing, none yet
    for (int32_t t = 1; first < N && t < N; ++t) {
        if (t % 1000 == 0 && stopRequested()) return false;
        const bool crossing = (y[t] > a[t] && !above) || (y[t] < a[t] && above);
        if (!crossing) continue;
        above = !above;
        if (start >= 0) {
            Cluster c{start, t, fileIndex, windowIndex, 0.0, std::fabs(y[t] - y[start])};
            for (int32_t s = start + 1; s <= t; ++s) c.area += std::fabs(y[s] - a[s]);
            clusters_.Append(c);
        }
        start = t;
    }
    if (found) *found = clusters_.Size() - before;
    else PrintFormatted("Found %d Clusters (Total: %d).\n", clusters_.Size() - before, clusters_.Size());
    return true;
}

bool ClusterAnalyzer::WriteMovingAverageFile(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    StopCheck stopRequested;
    for (int32_t t = 0; t < series_.Size(); ++t) {
        if (t % 1000 == 0 && stopRequested()) break;  // the run ends; what is written stays
        std::fprintf(file, "%.*lf\t%.*lf\n", 15, series_[t], 15, t < average_.Size() ? average_[t] : 0.0);
    }
    return CloseWritten(file);
}

void ClusterQuantities::Add(const Cluster& c, bool logarithmic) {
    const double tau = c.Lifetime();
    const double hypotenuse = c.Diameter();
    if (!logarithmic) {
        lifetime.Add(tau);
        area.Add(c.area);
        length.Add(c.length);
        diameter.Add(hypotenuse);
        return;
    }
    if (tau > 0) lifetime.Add(std::log10(tau));
    if (c.area > 0) area.Add(std::log10(c.area));
    if (c.length > 0) length.Add(std::log10(c.length));
    if (tau > 0 || c.length > 0) diameter.Add(std::log10(hypotenuse));
}

std::vector<ClusterQuantities> QuantitiesOf(const BlockArray<Cluster>& clusters, int32_t windows, bool logarithmic) {
    std::vector<ClusterQuantities> sets(static_cast<size_t>(windows > 0 ? windows : 1));
    clusters.ForEach([&](const Cluster& c) {
        if (windows <= 0) sets[0].Add(c, logarithmic);
        else if (c.windowIndex >= 0 && c.windowIndex < windows) sets[c.windowIndex].Add(c, logarithmic);
    });
    return sets;
}

bool ClusterAnalyzer::WriteDistributions(const std::string& stem, const SizeList* sizes, double step,
                                         bool logarithmic) {
    StopCheck stopRequested;
    const int32_t K = sizes ? sizes->Size() : 1;
    if (sizes) PrintFormatted("Processing clusters...");
    std::vector<ClusterQuantities> sets = QuantitiesOf(clusters_, sizes ? K : 0, logarithmic);
    if (sizes) PrintFormatted("Done.\nComputing distributions...");

    // Lines about files not written, or written with a wider step, wait for
    // the end of the pass, so that its texts and their "Done." stay on one line.
    std::vector<std::string> notes;
    auto write = [&](Distribution& d, const std::string& path) {
        d.SetStep(step);
        const bool written = d.Write(path, logarithmic);
        const long long most = Distribution::kMaxBins;
        if (written && d.Step() != step)
            notes.push_back(Formatted("Distribution [%s]: step %g would need more than %lld bins; it is written with step %g.\n",
                                      path.c_str(), step, most, d.Step()));
        if (written || d.Count() == 0 || !(step > 0)) return;
        if (!std::isfinite(d.Minimum()) || !std::isfinite(d.Maximum()))
            notes.push_back("Distribution [" + path + "] is not written: it holds a value that is not finite.\n");
        else if (!d.Writable())
            notes.push_back(Formatted("Distribution [%s] is not written: step %g would need more than %lld bins.\n",
                                      path.c_str(), step, most));
        else
            notes.push_back("Error writing distribution file [" + path + "].\n");
        unwritten_.push_back(path);
    };
    for (int32_t w = 0; w < K; ++w) {
        if (stopRequested()) return false;
        const std::string prefix = sizes ? stem + "." + std::to_string((*sizes)[w]) : stem + ".All";
        ClusterQuantities& set = sets[w];
        write(set.lifetime, prefix + ".rLifetime.txt");
        write(set.area, prefix + ".rArea.txt");
        write(set.length, prefix + ".rLength.txt");
        write(set.diameter, prefix + ".rDiameter.txt");
    }
    if (sizes) PrintFormatted("Done.\n");
    for (const std::string& line : notes) WriteOutput(line);
    return true;
}

std::string BadAboveRefusal(double above) {
    if (!std::isnan(above)) return {};
    return "The bad-data threshold is nan; samples above a number are taken for bad data.";
}

std::string ClusterWindowsRefusal(std::span<const int32_t> sizes, bool extended) {
    if (sizes.empty()) return "Moving average progression is not valid.";
    for (int32_t n : sizes) {
        if (extended && n < kLeastExtendedWindow)
            return "Moving average windows must be at least " + std::to_string(kLeastExtendedWindow) +
                   " for the extended average: its trend is fitted to the n - 1 samples before each one.";
        if (n < 1) return "Moving average windows must be at least 1.";
    }
    return {};
}

namespace {

// The reasons of CheckClusterParameters for window sizes already expanded.
std::string ClusterRefusal(const AnalysisParameters& params, const SizeList& sizes) {
    if (std::string refusal = TestNameRefusal(params.testName); !refusal.empty()) return refusal;
    if (std::string refusal = TestNameRefusal(params.filePrefix, "File prefix"); !refusal.empty()) return refusal;
    if (params.windowSize < kLeastClusterSamples)
        return "Window size is " + std::to_string(params.windowSize) + ", it must be at least " +
               std::to_string(kLeastClusterSamples) + ": a cluster runs from one crossing to the next.";
    if (std::string reason = BadAboveRefusal(params.badAbove); !reason.empty()) return reason;
    return ClusterWindowsRefusal(std::span<const int32_t>(sizes.begin(), sizes.end()), params.movingAverageType == 1);
}

// The clusters of one file of a run, for every window size.
struct FileClusters {
    BlockArray<Cluster> clusters{ClusterAnalyzer::kClusterBlock};
    std::vector<int32_t> counts;  // the clusters found with each window size
    std::vector<std::string> unwritten;
    bool analysed = false, stopped = false;

    // As bytes, for the process of a run that joins them.
    std::string Pack() const {
        std::vector<Cluster> all;
        clusters.ForEach([&](const Cluster& c) { all.push_back(c); });
        return Packer().Put(analysed).Put(stopped).Put(counts).Put(unwritten).Put(all).Bytes();
    }
    void Unpack(const std::string& bytes) {
        std::vector<Cluster> all;
        Unpacker(bytes).Get(analysed).Get(stopped).Get(counts).Get(unwritten).Get(all);
        for (const Cluster& c : all) clusters.Append(c);
    }
};

FileClusters FindFileClusters(const AnalysisParameters& params, const SizeList& sizes, int32_t i,
                              LoadedSeries* loadedBefore) {
    StopCheck stopRequested;
    FileClusters file;
    ClusterAnalyzer analyzer;
    const std::string& path = params.inputFiles[i];
    SampleArray samples;
    const bool handed =
        loadedBefore &&
        loadedBefore->Take(path, params.inputFileType, params.column, params.windowSize, params.dataOffset, samples);
    if (handed) analyzer.SetSeries(std::move(samples));
    const bool loaded =
        handed || analyzer.Load(path, params.inputFileType, params.dataOffset, params.windowSize, params.column);
    if (stopRequested()) {
        file.stopped = true;
        return file;
    }
    const int32_t taken = analyzer.Series().Size();
    if (loaded && taken == 0)
        PrintFormatted("No sample of [%s] from offset %d.\n", path.c_str(), params.dataOffset);
    else if (loaded && taken < kLeastClusterSamples)
        PrintFormatted("Only %d samples of [%s] from offset %d: a cluster needs at least %d.\n", taken,
                       path.c_str(), params.dataOffset, kLeastClusterSamples);
    if (!loaded || taken < kLeastClusterSamples) return file;
    analyzer.ReplaceBadData(params.badAbove);
    file.counts.resize(static_cast<size_t>(sizes.Size()));
    for (int32_t j = 0; j < sizes.Size(); ++j) {
        analyzer.SetWindowLength(sizes[j]);
        const bool done = params.movingAverageType == 1 ? analyzer.FindClustersExtended(i, j, &file.counts[j])
                                                       : analyzer.FindClusters(i, j, &file.counts[j]);
        if (!done) {
            file.stopped = true;
            return file;
        }
        if (params.generateMovingAverageFiles) {
            const std::string averagePath = JoinPath(
                params.outputPath, params.testName + ".clusters.average(" + std::to_string(sizes[j]) + ").txt");
            if (!analyzer.WriteMovingAverageFile(averagePath)) {
                PrintFormatted("Error writing moving average file [%s].\n", averagePath.c_str());
                file.unwritten.push_back(averagePath);
            }
        }
    }
    file.clusters = analyzer.TakeClusters();
    file.analysed = true;
    return file;
}

bool AnalyseClusters(AnalysisParameters& params, ClusterRunSummary& report, LoadedSeries* loaded) {
    std::string listNote;
    if (!params.ExpandInputFiles(&listNote)) return false;
    if (!listNote.empty()) WriteOutput(listNote + "\n");
    // Expanded once: a custom progression file is read one time only.
    std::string note;
    const SizeList sizes = params.averageProgression.Expand(&note);
    if (!note.empty() && params.averageProgression.type == kCustom) WriteOutput("Warning: " + note + ".\n");
    const std::string reason = ClusterRefusal(params, sizes);
    if (!reason.empty()) {
        PrintFormatted("Nothing analysed: %s\n", reason.c_str());
        report.refused = true;
        return false;
    }

    StopCheck stopRequested;
    ClusterAnalyzer analyzer;
    auto stopped = [&] {
        report.stopped = true;
        report.clusters = analyzer.Clusters().Size();
        return true;
    };

    // Every file found on its own, in parallel; its clusters join the run's in
    // list order, and the lines saying how many are said then, with the run's
    // total. The moving-average files of every file have the same names: a run
    // that writes them takes one file at a time, so that the last one stays.
    const int32_t count = params.inputFileType == 0 || params.inputFileType == 1
                              ? static_cast<int32_t>(params.inputFiles.size())
                              : 0;
    std::vector<FileClusters> found(static_cast<size_t>(count));
    // Memory runs out on a worker thread; the run then ends as it always did,
    // from the calling thread.
    std::atomic<bool> outOfMemory{false};
    ListWork list;
    list.count = count;
    list.jobs = params.generateMovingAverageFiles ? 1 : JobsFor(params.jobs);
    list.oneProcess = params.generateMovingAverageFiles != 0;
    list.work = [&](int32_t i) {
        try {
            found[i] = FindFileClusters(params, sizes, i, count == 1 ? loaded : nullptr);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
            found[i].stopped = true;
        }
    };
    list.pack = [&](int32_t i) { return std::exchange(found[i], FileClusters{}).Pack(); };
    list.unpack = [&](int32_t i, const std::string& bytes) { found[i].Unpack(bytes); };
    list.commit = [&](int32_t i) {
        FileClusters& file = found[i];
        if (report.stopped || file.stopped || outOfMemory || stopRequested()) {
            report.stopped = true;
            return;
        }
        if (!file.analysed) report.notAnalysed.push_back(params.inputFiles[i]);
        for (const std::string& path : file.unwritten) report.unwritten.push_back(path);
        int32_t total = analyzer.Clusters().Size();
        for (int32_t n : file.counts) PrintFormatted("Found %d Clusters (Total: %d).\n", n, total += n);
        try {
            analyzer.AppendClusters(file.clusters);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        file = FileClusters{};
    };
    RunListWork(list);
    if (outOfMemory) throw std::bad_alloc();
    if (report.stopped || stopRequested()) return stopped();
    if (!CommitsHere()) return true;  // the committing process of a run writes the distributions

    const double step = params.distributionStep;
    if (!(step > 0))
        PrintFormatted("Distribution step %g is not above 0: no distribution file is written.\n", step);
    const bool logarithmic = params.distributionType != 0;
    const std::string stem = JoinPath(params.outputPath, params.testName + "." + params.filePrefix) +
                             (logarithmic ? ".Out.Log" : ".Out.Lin");
    if (!params.globalStatisticsOnly && !analyzer.WriteDistributions(stem, &sizes, step, logarithmic)) return stopped();
    if (!analyzer.WriteDistributions(stem, nullptr, step, logarithmic)) return stopped();
    report.clusters = analyzer.Clusters().Size();
    for (const std::string& path : analyzer.Unwritten()) report.unwritten.push_back(path);
    return true;
}

}  // namespace

std::string CheckClusterParameters(const AnalysisParameters& params) {
    return ClusterRefusal(params, params.averageProgression.Expand());
}

bool RunClusterAnalysis(AnalysisParameters& params, ClusterRunSummary* summary, LoadedSeries* loaded) {
    ClusterRunSummary local;
    ClusterRunSummary& report = summary ? *summary : local;
    report = ClusterRunSummary{};
    try {
        return AnalyseClusters(params, report, loaded);
    } catch (const std::bad_alloc&) {
        // The cluster list grows with every file and window.
        PrintFormatted("Not enough memory for the cluster analysis; nothing more is written.\n");
        report.refused = true;
        return false;
    }
}

}  // namespace fractan
