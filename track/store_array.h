#pragma once

// The storage under the track store's arrays. A million-point track is 28 MB;
// in the system's small pages that is seven thousand page faults, which cost
// more than reading a binary track. Large arrays therefore come straight from
// the system on 2 MB boundaries and ask for huge pages, and since fresh memory
// is zero already, growing never writes zeros over it.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace tackedit {

// `bytes` of zeroed memory (nullptr for 0); raises std::bad_alloc.
void* AllocateZeroed(std::size_t bytes);
// Gives back what AllocateZeroed gave for the same `bytes`.
void FreeZeroed(void* block, std::size_t bytes);

// A growable array of plain values, as much of std::vector as the store needs.
// Entries that resize adds are zero.
template <class T>
class StoreArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    StoreArray() = default;
    StoreArray(const StoreArray& other) { *this = other; }
    StoreArray(StoreArray&& other) noexcept { *this = std::move(other); }
    ~StoreArray() { FreeZeroed(data_, capacity_ * sizeof(T)); }

    StoreArray& operator=(const StoreArray& other)
    {
        if (this != &other) {
            if (other.size_ > capacity_) {
                size_ = 0;
                Reallocate(other.size_);
            }
            if (other.size_ > 0)
                std::memcpy(static_cast<void*>(data_), other.data_, other.size_ * sizeof(T));
            size_ = other.size_;
            zero_from_ = std::max(zero_from_, size_);
        }
        return *this;
    }

    StoreArray& operator=(StoreArray&& other) noexcept
    {
        if (this != &other) {
            FreeZeroed(data_, capacity_ * sizeof(T));
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
            zero_from_ = std::exchange(other.zero_from_, 0);
        }
        return *this;
    }

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

    friend bool operator==(const StoreArray& a, const StoreArray& b)
    {
        return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
    }

    void reserve(std::size_t n)
    {
        if (n > capacity_)
            Reallocate(n);
    }

    // Storage grows geometrically; the first min(old, n) entries keep their values.
    void resize(std::size_t n)
    {
        if (n > capacity_)
            Reallocate(std::max(n, 2 * capacity_));
        if (n > size_) {
            // Only entries an earlier, longer size has used need clearing.
            if (size_ < zero_from_)
                std::memset(static_cast<void*>(data_ + size_), 0, (std::min(n, zero_from_) - size_) * sizeof(T));
            zero_from_ = std::max(zero_from_, n);
        }
        size_ = n;
    }

    void shrink_to_fit()
    {
        if (capacity_ > size_)
            Reallocate(size_);
    }

private:
    void Reallocate(std::size_t n)
    {
        T* fresh = static_cast<T*>(AllocateZeroed(n * sizeof(T)));
        if (size_ > 0)
            std::memcpy(static_cast<void*>(fresh), data_, size_ * sizeof(T));
        FreeZeroed(data_, capacity_ * sizeof(T));
        data_ = fresh;
        capacity_ = n;
        zero_from_ = size_;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t zero_from_ = 0;  // every entry from here to the capacity is zero
};

} // namespace tackedit
