#pragma once
// Memory for the large arrays: the layers, the history's backups and the values of its steps.
// A megabyte or more is taken in huge pages where the system offers them, since every fresh
// small page costs a fault, and for arrays of this size the faults cost many times the copying
// that fills them.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace insel {

void* AllocateBulk(std::size_t bytes);
void FreeBulk(void* memory, std::size_t bytes) noexcept;
// memcpy, for the history's column backups.
void CopyColumn(void* to, const void* from, std::size_t bytes);

// A growable array of plain values in bulk memory. Unlike a vector it leaves new values unset
// and copies, grows and frees its values at once, never value by value.
template <class T>
class BulkArray {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    BulkArray() = default;
    explicit BulkArray(std::size_t size) { resize(size); }
    BulkArray(std::size_t size, T value) : BulkArray(size) { std::fill_n(data_, size, value); }
    BulkArray(const BulkArray& other) : BulkArray(other.size_) { CopyFrom(other); }
    BulkArray& operator=(const BulkArray& other) {
        if (this != &other) {
            resize(other.size_);
            CopyFrom(other);
        }
        return *this;
    }
    BulkArray(BulkArray&& other) noexcept { swap(other); }
    BulkArray& operator=(BulkArray&& other) noexcept {
        BulkArray(std::move(other)).swap(*this);
        return *this;
    }
    ~BulkArray() { Release(); }

    T* data() { return data_; }
    const T* data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T& back() { return data_[size_ - 1]; }

    void reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        T* grown = static_cast<T*>(AllocateBulk(capacity * sizeof(T)));
        if (size_ > 0) std::memcpy(grown, data_, size_ * sizeof(T));
        Release();
        data_ = grown;
        capacity_ = capacity;
    }
    // Values beyond the old size are left unset.
    void resize(std::size_t size) {
        if (size > capacity_) reserve(std::max(size, 2 * capacity_));
        size_ = size;
    }
    void clear() { size_ = 0; }
    void swap(BulkArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

  private:
    void CopyFrom(const BulkArray& other) {
        if (size_ > 0) std::memcpy(data_, other.data_, size_ * sizeof(T));
    }
    void Release() {
        if (data_ != nullptr) FreeBulk(data_, capacity_ * sizeof(T));
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace insel
