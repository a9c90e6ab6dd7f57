#pragma once
// The numeric containers that every computation streams its samples through.
// Their arithmetic, including the order of floating-point operations, is fixed:
// results are reproducible to the last digit.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace fractan {

// A position that wraps around within 0 … size − 1.
class CircularIndex {
public:
    explicit CircularIndex(int32_t size = 1) : size_(size < 1 ? 1 : size) {}

    operator int32_t() const { return position_; }

    CircularIndex& operator++() {
        if (++position_ == size_) position_ = 0;
        return *this;
    }
    CircularIndex& operator--() {
        position_ = position_ == 0 ? size_ - 1 : position_ - 1;
        return *this;
    }

private:
    int32_t position_ = 0;
    int32_t size_;
};

// A growable array whose capacity always moves in whole growth chunks.
template <typename T>
class ChunkedArray {
public:
    ChunkedArray() = default;
    ChunkedArray(int32_t size, int32_t chunk) : chunk_(chunk < 1 ? 1 : chunk) {
        if (size > 0) {
            SetCapacity(RoundUp(size));
            size_ = size;
        }
    }
    ChunkedArray(const ChunkedArray& other) : chunk_(other.chunk_) { CopyFrom(other); }
    ChunkedArray(ChunkedArray&& other) noexcept { Swap(other); }
    ChunkedArray& operator=(const ChunkedArray& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    ChunkedArray& operator=(ChunkedArray&& other) noexcept {
        if (this != &other) {
            Clear();
            Swap(other);
        }
        return *this;
    }

    int32_t Size() const { return size_; }
    int32_t Capacity() const { return capacity_; }
    int32_t GrowthChunk() const { return chunk_; }
    bool Empty() const { return size_ == 0; }

    // Not checked: 0 ≤ i < Size().
    T& operator[](int32_t i) { return data_[i]; }
    const T& operator[](int32_t i) const { return data_[i]; }
    T& At(int32_t i) { return data_[i]; }
    const T& At(int32_t i) const { return data_[i]; }
    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }
    T& Last() { return data_[size_ - 1]; }
    const T& Last() const { return data_[size_ - 1]; }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + size_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + size_; }

    void SetCapacity(int32_t capacity) {
        if (capacity == capacity_) return;
        std::unique_ptr<T[]> fresh;
        if (capacity > 0) {
            fresh.reset(new T[static_cast<size_t>(capacity)]);
            for (int32_t i = 0; i < size_ && i < capacity; ++i) fresh[i] = data_[i];
        }
        data_ = std::move(fresh);
        capacity_ = capacity;
    }

    // Releases storage when at least one whole chunk is unused.
    void Compact() {
        if (size_ > 0 && capacity_ - chunk_ >= size_) SetCapacity(RoundUp(size_));
    }

    // New plain elements are not cleared.
    void SetSize(int32_t n) {
        if (n == size_) return;
        if (n <= 0) {
            Clear();
            return;
        }
        if (n > capacity_) SetCapacity(RoundUp(n));
        const bool shrinks = n < size_;
        size_ = n;
        if (shrinks) Compact();
    }

    // Appends one element. A full array doubles (in whole chunks), so that
    // appending N elements copies O(N) of them.
    void Append(const T& value) {
        if (size_ == capacity_) {
            const int64_t wanted = std::max<int64_t>(int64_t{capacity_} * 2, chunk_);
            SetCapacity(RoundUp(static_cast<int32_t>(std::min<int64_t>(wanted, INT32_MAX - chunk_))));
        }
        data_[size_++] = value;
    }

    void Clear() {
        data_.reset();
        size_ = 0;
        capacity_ = 0;
    }

private:
    int32_t RoundUp(int32_t n) const {
        return static_cast<int32_t>((int64_t{n} + chunk_ - 1) / chunk_ * chunk_);
    }
    void CopyFrom(const ChunkedArray& other) {
        Clear();
        SetSize(other.size_);
        std::copy(other.begin(), other.end(), begin());
    }
    void Swap(ChunkedArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(chunk_, other.chunk_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    std::unique_ptr<T[]> data_;
    int32_t chunk_ = 10;
    int32_t size_ = 0;
    int32_t capacity_ = 0;
};

using SampleArray = ChunkedArray<double>;
using SizeList = ChunkedArray<int32_t>;

// Trailing moving average over the last `length` samples, kept as a running sum.
class RunningWindow {
public:
    // Starts afresh with n slots.
    void SetLength(int32_t n);

    // The mean of the last min(pushed, length) samples, the new one included.
    // A length below 1 gives no finite mean (but never writes outside the buffer).
    double Push(double x) {
        double mean = 0.0;
        Walk(&x, 1, [&](int32_t, double value) { mean = value; });
        return mean;
    }

    // Pushes data[0] … data[count − 1] in turn, handing visit(i, mean) the
    // mean after each: the numbers of as many pushes, with the window's state
    // held in locals along the way.
    template <class Visit>
    void Walk(const double* data, int32_t count, Visit&& visit) {
        double* const buffer = buffer_.data();
        double sum = sum_;
        int32_t cursor = cursor_, i = 0;
        auto put = [&](double x) {
            buffer[cursor] = x;
            if (++cursor >= length_) cursor = 0;
        };
        for (; i < count && pushed_ < length_; ++i) {  // filling: the mean of what it holds
            const double x = data[i];
            put(x);
            sum = x + sum;
            visit(i, sum / ++pushed_);
        }
        for (; i < count; ++i) {
            const double x = data[i];
            sum = sum - buffer[cursor];
            put(x);
            sum = x + sum;
            visit(i, sum / length_);
        }
        sum_ = sum;
        cursor_ = cursor;
    }

private:
    std::vector<double> buffer_;
    int32_t cursor_ = 0;
    int32_t length_ = 0;
    double sum_ = 0.0;
    int32_t pushed_ = 0;  // up to the length
};

// Nearest integer with halves upward: truncate toward zero, then add one when
// the discarded part is at least 0.5.
inline int32_t RoundHalfUp(double value) {
    int32_t whole = static_cast<int32_t>(value);
    return (value - whole >= 0.5) ? whole + 1 : whole;
}

// The least-squares line through the m = n − 1 samples before the newest one,
// taken at the sample ⌊m/2⌋ − g before the newest of them (g = round(m/4), at
// least 1): their mean plus g (odd m) or g − ½ (even m) times the slope about
// their centre. It lags the input by one sample. Needs n of at least 3 for a
// finite result; smaller n never writes outside the buffer.
class FirstOrderWindow {
public:
    // Starts afresh for windows of n samples.
    void SetLength(int32_t n);
    double Push(double x) {
        double value = 0.0;
        Walk(&x, 1, [&](int32_t, double line) { value = line; });
        return value;
    }

    // Pushes data[0] … data[count − 1] in turn, handing visit(i, value) the
    // value after each (0 until the window is full): the numbers of as many
    // pushes, with the window's state held in locals along the way.
    template <class Visit>
    void Walk(const double* data, int32_t count, Visit&& visit);

private:
    std::vector<double> buffer_;
    int32_t cursor_ = 0;
    int32_t m_ = 0;
    double sum_ = 0.0;
    double weighted_ = 0.0;  // Σ (centre − j) · sample j back from the newest
    int32_t pushed_ = 0;     // up to m + 2
    double pending_ = 0.0;
};

template <class Visit>
void FirstOrderWindow::Walk(const double* data, int32_t count, Visit&& visit) {
    // The slope about the centre of the m samples: weights centre − j from the
    // newest (j = 0) backwards, centre = (m − 1)/2, so that they sum to 0 and a
    // constant added to the samples moves only the mean; the divisor is the sum
    // of their squares, m(m² − 1)/12. For odd m the centre is the whole ⌊m/2⌋.
    // The weighted sum follows the window as it moves, each sample's weight
    // falling by one, and is summed afresh once every m samples, so that
    // rounding cannot gather: O(1) a sample.
    const double centre = (m_ - 1) * 0.5;
    const double d = static_cast<double>(m_) * static_cast<double>(m_ + 1) * static_cast<double>(m_ - 1) * (1.0 / 12.0);
    // The line at the sample g after the ⌊m/2⌋-th back from the newest: g after
    // the centre for odd m, g − ½ for even m (g = round(m/4), at least 1).
    const double ahead = std::max(1, RoundHalfUp(m_ * 0.25)) - (m_ / 2 - centre);
    const int32_t ring = static_cast<int32_t>(buffer_.size());
    double* const buffer = buffer_.data();
    double sum = sum_, weighted = weighted_, pending = pending_;
    int32_t cursor = cursor_;
    for (int32_t i = 0; i < count; ++i) {
        // The sample pushed last enters the window; this one waits a push.
        const bool full = pushed_ > m_, filled = pushed_ == m_ + 1;
        pushed_ = std::min(pushed_ + 1, m_ + 2);
        const double oldest = buffer[cursor], before = sum, entering = pending;
        if (full) sum = sum - oldest;
        buffer[cursor] = entering;
        if (++cursor >= ring) cursor = 0;
        sum = sum + entering;
        pending = data[i];
        if (!full) {
            visit(i, 0.0);
            continue;
        }
        if (filled || cursor == 0) {
            double acc = 0.0;
            for (int32_t j = 0, slot = cursor; j < m_; ++j) {
                slot = slot == 0 ? ring - 1 : slot - 1;
                acc = acc + (centre - j) * buffer[slot];
            }
            weighted = acc;
        } else {
            weighted = weighted - before + centre * entering + (m_ - centre) * oldest;
        }
        visit(i, weighted / d * ahead + sum / m_);
    }
    sum_ = sum;
    weighted_ = weighted;
    pending_ = pending;
    cursor_ = cursor;
}

// Slope of the least-squares line through n points given their four sums.
// All x equal divides by zero; callers do not guard against it.
inline double LeastSquaresSlope(double sx, double sy, double sxy, double sxx, int32_t n) {
    double mx = (1.0 / n) * sx;
    return (sxy - mx * sy) / (sxx - mx * sx);
}

}  // namespace fractan
