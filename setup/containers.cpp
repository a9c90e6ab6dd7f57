#include "setup/containers.h"

#include <algorithm>

namespace fractan {

void RunningWindow::SetLength(int32_t n) {
    length_ = n;
    cursor_ = CircularIndex(n <= 0 ? 1 : n);
    sum_ = 0.0;
    count_ = 0;
    // A length below 1 keeps one slot, so a push never writes outside the buffer.
    buffer_.assign(static_cast<size_t>(std::max(n, 1)), 0.0);
}

void RunningWindow::Reset() {
    buffer_.clear();
    cursor_ = CircularIndex(1);
    length_ = 0;
    sum_ = 0.0;
    count_ = 0;
}

void FirstOrderWindow::SetLength(int32_t n) {
    m_ = n - 1;
    cursor_ = CircularIndex(m_ <= 0 ? 1 : m_);
    sum_ = 0.0;
    count_ = 0;
    pending_ = 0.0;
    buffer_.assign(static_cast<size_t>(std::max(m_, 1)), 0.0);
}

void FirstOrderWindow::Reset() {
    buffer_.clear();
    cursor_ = CircularIndex(1);
    m_ = 0;
    sum_ = 0.0;
    count_ = 0;
    pending_ = 0.0;
}

double FirstOrderWindow::Push(double x) {
    int32_t c = count_ + 1;
    count_ = c;
    if (c <= m_ + 1) {
        buffer_[cursor_] = pending_;
        ++cursor_;
        sum_ = sum_ + pending_;
        pending_ = x;
        return 0.0;
    }
    sum_ = sum_ - buffer_[cursor_];
    buffer_[cursor_] = pending_;
    ++cursor_;
    sum_ = sum_ + pending_;

    // Weights h, h − 1, … from the newest sample backwards.
    const int32_t h = m_ / 2;
    double acc = 0.0;
    CircularIndex slot = cursor_.Minus(1);
    for (int32_t j = 0; j < m_; ++j) {
        acc = acc + static_cast<double>(h - j) * buffer_[slot];
        --slot;
    }
    const double d = static_cast<double>(2 * h + 1) * static_cast<double>(h + 1) *
                     static_cast<double>(h) * (1.0 / 3.0);
    int32_t g = RoundHalfUp(m_ * 0.25);
    if (g < 1) g = 1;
    pending_ = x;
    return acc / d * g + sum_ / m_;
}

}  // namespace fractan
