#pragma once
// A growable array made of fixed-size blocks: elements never move once
// written, and growth adds one block without copying the earlier ones.

#include <cstdint>
#include <memory>
#include <vector>

namespace fractan {

template <typename T>
class BlockArray {
public:
    // With `startWithBlock`, the first block is allocated at once.
    explicit BlockArray(int32_t blockSize, bool startWithBlock = true)
        : blockSize_(blockSize < 1 ? 1 : blockSize) {
        if (startWithBlock) AddBlock();
    }
    BlockArray(BlockArray&&) noexcept = default;
    BlockArray& operator=(BlockArray&&) noexcept = default;

    int32_t Size() const { return size_; }
    int32_t Capacity() const { return BlockCount() * blockSize_; }
    int32_t BlockCount() const { return static_cast<int32_t>(blocks_.size()); }
    int32_t BlockSize() const { return blockSize_; }
    bool Empty() const { return size_ == 0; }

    // Not checked: 0 ≤ i < Size().
    T& operator[](int32_t i) { return blocks_[i / blockSize_][i % blockSize_]; }
    const T& operator[](int32_t i) const { return blocks_[i / blockSize_][i % blockSize_]; }

    void Append(const T& value) {
        if (size_ == Capacity()) AddBlock();
        (*this)[size_++] = value;
    }

    // Calls f on every element in order, a block at a time.
    template <class F>
    void ForEach(F&& f) const {
        int32_t left = size_;
        for (const auto& block : blocks_) {
            const int32_t n = left < blockSize_ ? left : blockSize_;
            for (int32_t i = 0; i < n; ++i) f(block[i]);
            left -= n;
            if (left == 0) break;
        }
    }

    // Releases every block.
    void Clear() {
        blocks_.clear();
        size_ = 0;
    }

private:
    void AddBlock() { blocks_.emplace_back(new T[static_cast<size_t>(blockSize_)]()); }

    std::vector<std::unique_ptr<T[]>> blocks_;
    int32_t blockSize_;
    int32_t size_ = 0;
};

}  // namespace fractan
