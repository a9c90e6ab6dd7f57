#include "engine/window_sets.h"

namespace fractan {

void PlainWindows::Setup(const SizeList& sizes) {
    windows_ = ChunkedArray<RunningWindow>(sizes.Size(), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) windows_[k].SetLength(sizes[k]);
}

void FirstOrderWindows::Setup(const SizeList& sizes) {
    windows_ = ChunkedArray<FirstOrderWindow>(sizes.Size(), 10);
    readAhead_ = SizeList(sizes.Size(), 10);
    for (int32_t k = 0; k < sizes.Size(); ++k) {
        readAhead_[k] = FirstOrderReadAhead(sizes[k]);
        windows_[k].SetLength(sizes[k]);
    }
}

WindowSet WindowsFor(const Method& method, int32_t weight, double lambda, double theta) {
    switch (method.detrending) {
        case Detrending::kSmoothed:
            if (weight != 0) return FilterWindows<SmoothedWindow>(weight, lambda);
            break;
        case Detrending::kLambda:
            if (weight != 0) return FilterWindows<LambdaWindow>(weight, lambda);
            break;
        case Detrending::kShiftedAverage:
            return ShiftedWindows(theta);
        case Detrending::kFirstOrder:
            return FirstOrderWindows();
        default:
            break;
    }
    return PlainWindows();
}

}  // namespace fractan
