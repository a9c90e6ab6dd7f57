#include "engine/dfa.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/box_track.h"
#include "engine/dma_frames.h"
#include "engine/file_analysis.h"
#include "setup/ordered_jobs.h"

namespace fractan {
namespace {

double NotANumber() { return std::numeric_limits<double>::quiet_NaN(); }

// The working data of one computation: the samples and the boxes.
struct DfaState {
    std::span<const double> samples;
    SizeList sizes;
    int32_t W, order;
    BoxPlacement boxes;
    std::vector<BoxBasis> bases;
    std::vector<BoxRow> rows;

    DfaState(std::span<const double> x, const SizeList& boxSizes, int32_t window, int32_t fitOrder,
             const BoxPlacement& placement)
        : samples(x), sizes(boxSizes), W(window), order(fitOrder), boxes(placement) {}

    // F_k at end position p, every box fitted on its own (overlapping boxes
    // slide from one to the next).
    double Fluctuation(int32_t k, int32_t p) const {
        const BoxRow& row = rows[k];
        if (row.count == 0) return NotANumber();  // a box size above W
        const double* y = samples.data();
        const double total = WithOrder(order, [&]<int M>() {
            if (!row.Tiles()) {
                double sum = 0.0;
                SlideThroughBoxes<M>(y, bases[k], p - int64_t{row.count - 1} * row.step - row.n + 1, row.step,
                                     row.count, [&](double residual) { sum += residual; });
                return sum;
            }
            // From the end backwards, then for both ends from the start on.
            double sum = TilingResiduals<M>(y + (p - row.n + 1), -row.n, row.count, bases[k]);
            if (row.lag >= 0) sum += TilingResiduals<M>(y + (p - W + 1), row.n, row.count, bases[k]);
            return sum;
        });
        return std::sqrt(total / static_cast<double>(row.Boxes()));
    }

    // H at end position p.
    double Hurst(int32_t p, const std::vector<double>& logSizes) const {
        LogLogFit fit;
        for (int32_t k = 0; k < sizes.Size(); ++k) fit.Add(logSizes[k], std::log10(Fluctuation(k, p)));
        return fit.Slope(sizes.Size());
    }

    void Prepare() {
        PrintProgress("Setting up trend-lines windows...");
        for (int32_t n : sizes) {
            bases.emplace_back(n, order);
            rows.emplace_back(n, W, boxes);
        }
        PrintProgress("Done.");
    }

    // Whether following every position with sliding boxes costs less than
    // fitting the boxes afresh at every step-th one: a tiling costs about as
    // many operations as its W samples, a slide as about eight samples of it;
    // overlapping boxes slide over W positions in either case.
    bool Slides(int32_t step) const {
        return boxes.kind == BoxPlacement::Kind::kOverlap ? step < W : int64_t{step} * 8 < W;
    }

    // H at every step-th position from W on, every box size followed along
    // the series: the sizes are shared by the threads, and the fits of a
    // round's positions.
    template <int M>
    bool SlideAlong(int32_t step, PositionSink& sink, DynamicRange& range, const std::vector<double>& logSizes,
                    int32_t parts) {
        const int32_t K = sizes.Size();
        std::vector<BoxTrack<M>> tracks;
        for (int32_t k = 0; k < K; ++k) tracks.emplace_back(samples.data(), bases[k], rows[k], W);
        // F² of every size at the step-th positions of a round.
        std::vector<double> squares(static_cast<size_t>(kRoundPositions) * K), hursts(kRoundPositions);
        Rounds rounds;
        rounds.advance = [&](int32_t part, int64_t from, int64_t to) {
            // A round lies within a phase: F² is kept only in the last.
            const int64_t evaluated = from >= W ? SteppedPositions(from, to, step).first : to;
            for (int32_t k = K * part / parts, last = K * (part + 1) / parts; k < last; ++k) {
                double* square = &squares[k];
                for (int64_t p = from, next = evaluated; p < to; ++p) {
                    if (p >= sizes[k]) tracks[k].At(static_cast<int32_t>(p), p == sizes[k]);
                    if (p != next) continue;
                    *square = tracks[k].Square();
                    square += K;
                    next += step;
                }
            }
        };
        rounds.evaluate = [](int32_t, int64_t, int64_t) {};
        rounds.deliver = [](int64_t, int64_t) { return true; };
        // The first box of every size starts at sample 1, the first of the window at W.
        PrintProgress("Setting up sums...");
        if (!RunRounds(parts, 1, W, kRoundPositions, rounds)) return false;
        PrintProgress("Done.");

        rounds.evaluate = [&](int32_t part, int64_t from, int64_t to) {
            const SteppedPositions positions(from, to, step);
            for (int64_t i = positions.Share(part, parts), last = positions.Share(part + 1, parts); i < last; ++i) {
                LogLogFit fit;
                for (int32_t k = 0; k < K; ++k) fit.Add(logSizes[k], std::log10(std::sqrt(squares[i * K + k])));
                hursts[i] = fit.Slope(K);
            }
        };
        return Deliver(parts, step, kRoundPositions, rounds, hursts, sink, range);
    }

    // H at every step-th position from W on, each fitted afresh by one of the threads.
    bool FitAfresh(int32_t step, PositionSink& sink, DynamicRange& range, const std::vector<double>& logSizes,
                   int32_t parts) {
        PrintProgress("Setting up sums...");
        PrintProgress("Done.");
        // A few positions for every thread in a round.
        const int64_t round = int64_t{step} * parts * 4;
        std::vector<double> hursts(static_cast<size_t>(parts) * 4);
        Rounds rounds;
        rounds.advance = [](int32_t, int64_t, int64_t) {};
        rounds.evaluate = [&](int32_t part, int64_t from, int64_t to) {
            const SteppedPositions positions(from, to, step);
            for (int64_t i = positions.Share(part, parts), last = positions.Share(part + 1, parts); i < last; ++i)
                hursts[i] = Hurst(static_cast<int32_t>(positions.At(i)), logSizes);
        };
        return Deliver(parts, step, round, rounds, hursts, sink, range);
    }

    // The rounds of positions W … N − 1 with their percentages, every H of a
    // round handed to the sink in turn.
    bool Deliver(int32_t parts, int32_t step, int64_t round, Rounds& rounds, const std::vector<double>& hursts,
                 PositionSink& sink, DynamicRange& range) const {
        const int32_t N = static_cast<int32_t>(samples.size());
        StopCheck stopRequested;
        PercentProgress progress(N, sink);
        rounds.deliver = [&](int64_t from, int64_t to) {
            const SteppedPositions positions(from, to, step);
            for (int64_t p = from; p < to; ++p) {
                if (stopRequested()) return false;  // what was handed on before the stop is kept
                progress.At(static_cast<int32_t>(p));  // at every position, computed or not
                if (p % step != 0) continue;
                sink.Append(static_cast<int32_t>(p), hursts[(p - positions.first) / step]);
                ++range.evaluated;
            }
            return true;
        };
        PrintProgress("Performing Hurst exponent calculation...");
        if (!RunRounds(parts, W, N, round, rounds)) return false;
        PrintProgress("Done.");
        return true;
    }
};

}  // namespace

int32_t BoxPlacement::StepIn(int32_t n) const {
    if (kind != Kind::kOverlap) return n;
    const double samples = std::round(step * n);
    return samples < 1.0 ? 1 : samples > n ? n : static_cast<int32_t>(samples);
}

std::optional<BoxPlacement> ParseBoxPlacement(const std::string& text) {
    using enum BoxPlacement::Kind;
    if (text == "end") return BoxPlacement{kEnd, 0.0};
    if (text == "both") return BoxPlacement{kBoth, 0.0};
    if (text == "overlap") return BoxPlacement{kOverlap, 0.0};
    constexpr std::string_view kStepped = "overlap:";
    if (!text.starts_with(kStepped) || text.size() == kStepped.size()) return std::nullopt;
    char* end = nullptr;
    const char* step = text.c_str() + kStepped.size();
    const double value = std::strtod(step, &end);
    if (*end != '\0' || std::isspace(static_cast<unsigned char>(*step)) || !(value > 0.0 && value <= 1.0))
        return std::nullopt;
    return BoxPlacement{kOverlap, value};
}

std::optional<std::vector<double>> DfaFluctuations(std::span<const double> samples, const SizeList& sizes,
                                                   int32_t W, int32_t order, BoxPlacement boxes, int32_t jobs) {
    StopCheck stopRequested;
    PrintProgress("Shifting data...");
    DfaState state(samples.subspan(samples.size() - (static_cast<size_t>(W) + 1)), sizes, W, order, boxes);
    PrintProgress("Done.");
    state.Prepare();
    // The phase keeps its lines, which logs of earlier runs show, though the
    // sums are now taken box by box.
    PrintProgress("Setting up sums...");
    PrintProgress("Done.");

    PrintProgress("Performing Hurst exponent calculation...");
    // Every box size on its own: the threads take the next one in turn.
    std::vector<double> fluctuations(static_cast<size_t>(sizes.Size()));
    std::atomic<int32_t> next{0};
    RunParts(std::min(JobsFor(jobs), sizes.Size()), [&](int32_t) {
        StopCheck stopped;
        for (int32_t k = next++; k < sizes.Size() && !stopped(); k = next++) fluctuations[k] = state.Fluctuation(k, W);
    });
    if (stopRequested()) return std::nullopt;
    return fluctuations;
}

bool DfaExponents(std::span<const double> samples, const SizeList& sizes, int32_t W, int32_t order, int32_t step,
                  PositionSink& sink, DynamicRange& range, BoxPlacement boxes, int32_t jobs) {
    if (step < 2) step = 1;
    const int32_t N = static_cast<int32_t>(samples.size());
    range = DynamicRange{W, N - 1, 0, step};
    DfaState state(samples, sizes, W, order, boxes);
    state.Prepare();
    const std::vector<double> logSizes = LogSizes(sizes);
    if (!state.Slides(step)) return state.FitAfresh(step, sink, range, logSizes, std::max(1, JobsFor(jobs)));
    const int32_t parts = std::max(1, std::min(JobsFor(jobs), sizes.Size()));
    return WithOrder(order, [&]<int M>() { return state.SlideAlong<M>(step, sink, range, logSizes, parts); });
}

int32_t RunDynamicDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                      const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                      int32_t dataSize, int32_t dataOffset, int32_t step) {
    AnalysisSettings s = SettingsOf(1, windowSize, progression);
    s.dfaOrder = order;
    s.dynamicStep = step;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

int32_t RunStaticDfa(int32_t windowSize, int32_t order, ScaleProgression progression,
                     const std::string& inputPath, int32_t inputType, const std::string& resultPath,
                     int32_t dataSize, int32_t dataOffset) {
    AnalysisSettings s = SettingsOf(3, windowSize, progression);
    s.dfaOrder = order;
    return RunFileVariant(s, VariantCall{inputPath, inputType, resultPath, dataSize, dataOffset});
}

}  // namespace fractan
