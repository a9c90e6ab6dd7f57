#include "setup/containers.h"

namespace fractan {

void RunningWindow::SetLength(int32_t n) {
    length_ = n;
    cursor_ = CircularIndex(n);
    sum_ = 0.0;
    count_ = 0;
    // A length below 1 keeps one slot, so a push never writes outside the buffer.
    buffer_.assign(static_cast<size_t>(std::max(n, 1)), 0.0);
}

void FirstOrderWindow::SetLength(int32_t n) {
    m_ = n - 1;
    cursor_ = CircularIndex(m_);
    sum_ = 0.0;
    weighted_ = 0.0;
    count_ = 0;
    pending_ = 0.0;
    buffer_.assign(static_cast<size_t>(std::max(m_, 1)), 0.0);
}

double FirstOrderWindow::Push(double x) {
    const bool full = ++count_ > m_ + 1;
    const double oldest = buffer_[cursor_], before = sum_;
    if (full) sum_ = sum_ - oldest;
    buffer_[cursor_] = pending_;
    ++cursor_;
    sum_ = sum_ + pending_;
    const double entering = pending_;
    pending_ = x;
    if (!full) return 0.0;

    // The slope about the centre of the m samples: weights centre − j from the
    // newest (j = 0) backwards, centre = (m − 1)/2, so that they sum to 0 and a
    // constant added to the samples moves only the mean; the divisor is the sum
    // of their squares, m(m² − 1)/12. For odd m the centre is the whole ⌊m/2⌋.
    // The weighted sum follows the window as it moves, each sample's weight
    // falling by one, and is summed afresh once every m samples, so that
    // rounding cannot gather: O(1) a sample.
    const double centre = (m_ - 1) * 0.5;
    if (count_ == m_ + 2 || cursor_ == 0) {
        double acc = 0.0;
        CircularIndex slot = cursor_;
        for (int32_t j = 0; j < m_; ++j) {
            --slot;
            acc = acc + (centre - j) * buffer_[slot];
        }
        weighted_ = acc;
    } else {
        weighted_ = weighted_ - before + centre * entering + (m_ - centre) * oldest;
    }
    const double d = static_cast<double>(m_) * static_cast<double>(m_ + 1) *
                     static_cast<double>(m_ - 1) * (1.0 / 12.0);
    int32_t g = RoundHalfUp(m_ * 0.25);
    if (g < 1) g = 1;
    // The line at the sample g after the ⌊m/2⌋-th back from the newest: g after
    // the centre for odd m, g − ½ for even m.
    const double ahead = g - (m_ / 2 - centre);
    return weighted_ / d * ahead + sum_ / m_;
}

}  // namespace fractan
