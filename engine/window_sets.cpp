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

WindowSet WindowsFor(int32_t type, int32_t weight, double lambda, double theta) {
    switch (type) {
        case 4:
        case 8:
            if (weight != 0) return FilterWindows<SmoothedWindow>(weight, lambda);
            break;
        case 9:
            if (weight != 0) return FilterWindows<LambdaWindow>(weight, lambda);
            break;
        case 5:
        case 6:
            return ShiftedWindows(theta);
        case 7:
            return FirstOrderWindows();
        default:
            break;
    }
    return PlainWindows();
}

}  // namespace fractan
