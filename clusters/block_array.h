#pragma once
// A growable array made of fixed-size blocks: elements never move once
// written, and growth adds one block without copying the earlier ones.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace fractan {

template <typename T>
class BlockArray {
public:
    // No block is allocated before the first element.
    explicit BlockArray(int32_t blockSize) : blockSize_(blockSize < 1 ? 1 : blockSize) {}

    int32_t Size() const { return size_; }

    void Append(const T& value) {
        if (size_ == static_cast<int32_t>(blocks_.size()) * blockSize_)
            blocks_.emplace_back(new T[static_cast<size_t>(blockSize_)]);
        blocks_[size_ / blockSize_][size_ % blockSize_] = value;
        ++size_;
    }

    // Calls f on every element in order, a block at a time.
    template <class F>
    void ForEach(F&& f) const {
        int32_t left = size_;
        for (const auto& block : blocks_) {
            const int32_t n = std::min(left, blockSize_);
            for (int32_t i = 0; i < n; ++i) f(block[i]);
            left -= n;
        }
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    int32_t blockSize_;
    int32_t size_ = 0;
};

}  // namespace fractan
