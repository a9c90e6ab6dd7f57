#pragma once
// Smoothed DMA: the plain moving average replaced by a recursive filter of
// length w (the DMA filter weight). With w = 0 each routine is the plain one.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/variant.h"
#include "setup/progression.h"
#include "setup/containers.h"

namespace fractan {

// The state both filters share: the last w samples and the last w outputs.
// During the first w pushes the outputs ring is seeded with the running means
// and 0.0 is returned; from push w + 1 on the output is
// (1 − h)·(sum of the last w samples)/w + h·(output of w pushes ago).
class SmoothingRings {
public:
    void SetLength(int32_t w);
    double Push(double x, double h) {
        double value = 0.0;
        Walk(&x, 1, h, [&](int32_t, double y) { value = y; });
        return value;
    }
    // Pushes data[0] … data[count − 1] in turn, handing visit(i, output) the
    // output after each: the numbers of as many pushes, with the state held
    // in locals along the way.
    template <class Visit>
    void Walk(const double* data, int32_t count, double h, Visit&& visit) {
        double* const samples = samples_.data();
        double* const outputs = outputs_.data();
        const int32_t ring = static_cast<int32_t>(samples_.size());
        double sum = sum_;
        int32_t at = position_, i = 0;
        for (; i < count && pushed_ < w_; ++i) {  // seeding the outputs with the running means
            const double x = data[i];
            samples[at] = x;
            sum += x;
            outputs[at] = sum / ++pushed_;
            if (++at >= ring) at = 0;
            visit(i, 0.0);
        }
        for (; i < count; ++i) {
            const double x = data[i];
            sum -= samples[at];
            samples[at] = x;
            sum += x;
            const double y = (1.0 - h) * sum / w_ + h * outputs[at];
            outputs[at] = y;
            if (++at >= ring) at = 0;
            visit(i, y);
        }
        sum_ = sum;
        position_ = at;
    }

private:
    int32_t w_ = 0;
    int32_t pushed_ = 0;  // up to w
    double sum_ = 0.0;
    std::vector<double> samples_;
    std::vector<double> outputs_;  // each filled in the same slot as its sample
    int32_t position_ = 0;
};

// The filter standing for moving-average window n: h = n / (n + w).
class SmoothedWindow {
public:
    virtual ~SmoothedWindow() = default;
    void SetLength(int32_t n, int32_t w);
    double Push(double x) { return rings_.Push(x, h_); }
    template <class Visit>
    void Walk(const double* data, int32_t count, Visit&& visit) {
        rings_.Walk(data, count, h_, visit);
    }

private:
    int32_t n_ = 0;
    double h_ = 0.0;
    SmoothingRings rings_;
};

// The filter with a fixed blend λ, the same for every window size.
class LambdaWindow {
public:
    virtual ~LambdaWindow() = default;
    void SetLength(double lambda, int32_t w);
    double Push(double x) { return rings_.Push(x, lambda_); }
    template <class Visit>
    void Walk(const double* data, int32_t count, Visit&& visit) {
        rings_.Walk(data, count, lambda_, visit);
    }

private:
    double lambda_ = 0.0;
    SmoothingRings rings_;
};

// Type 4: the static frame with SmoothedWindow (n_k, w).
int32_t RunStaticSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                             const std::string& inputPath, int32_t inputType,
                             const std::string& resultPath, int32_t dataSize, int32_t dataOffset);

// Type 8: the dynamic frame with SmoothedWindow (n_k, w).
int32_t RunDynamicSmoothedDma(int32_t windowSize, int32_t weight, ScaleProgression progression,
                              const std::string& inputPath, int32_t inputType,
                              const std::string& resultPath, int32_t dataSize, int32_t dataOffset,
                              int32_t step);

// Type 9: the static frame with LambdaWindow (λ, w) for every window size.
int32_t RunStaticSmoothedDmaLambda(int32_t windowSize, int32_t weight, double lambda,
                                   ScaleProgression progression, const std::string& inputPath,
                                   int32_t inputType, const std::string& resultPath,
                                   int32_t dataSize, int32_t dataOffset);

}  // namespace fractan
