#pragma once
// What one process of a run hands another, as bytes: numbers as they lie in
// memory (the processes of a run share a machine kind) and strings with their
// length.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace fractan {

class Packer {
public:
    template <class T>
    Packer& Put(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    Packer& Put(const std::string& text) {
        Put(static_cast<uint64_t>(text.size()));
        bytes_.append(text);
        return *this;
    }
    template <class T>
    Packer& Put(const std::vector<T>& values) {
        Put(static_cast<uint64_t>(values.size()));
        for (const T& v : values) Put(v);
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class Unpacker {
public:
    explicit Unpacker(const std::string& bytes) : bytes_(bytes) {}
    template <class T>
    Unpacker& Get(T& value) {
        if constexpr (std::is_same_v<T, std::string>) {
            uint64_t size = 0;
            Get(size);
            value.assign(bytes_, at_, size);
            at_ += size;
        } else if constexpr (requires { value.push_back(typename T::value_type{}); }) {
            uint64_t size = 0;
            Get(size);
            value.resize(size);
            for (auto& v : value) Get(v);
        } else {
            static_assert(std::is_trivially_copyable_v<T>);
            std::memcpy(&value, bytes_.data() + at_, sizeof value);
            at_ += sizeof value;
        }
        return *this;
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

}  // namespace fractan
