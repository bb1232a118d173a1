#pragma once
// The byte buffer that holds a font file or image, zeroed by the allocator.
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace glyphcensus {

// Allocates with calloc and leaves value-initialised elements as calloc gave
// them. A large block then comes from the system as fresh zero pages that count
// against memory only once written: a WOFF whose tables fill little of a large
// totalSfntSize costs its tables, not its totalSfntSize.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  T* allocate(size_t n) {
    void* block = std::calloc(n, sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { std::free(block); }

  template <typename U>
  void construct(U*) noexcept {}  // already zero: see FontBytes
  template <typename U, typename First, typename... Rest>
  void construct(U* at, First&& first, Rest&&... rest) {
    ::new (static_cast<void*>(at)) U(std::forward<First>(first), std::forward<Rest>(rest)...);
  }
};

template <typename T, typename U>
bool operator==(const ZeroedAllocator<T>&, const ZeroedAllocator<U>&) { return true; }
template <typename T, typename U>
bool operator!=(const ZeroedAllocator<T>&, const ZeroedAllocator<U>&) { return false; }

// The bytes of a font file or image. Elements added without a value are zero
// only in storage that no element has used yet: make these vectors at their
// size (or grow them from empty), and never grow one again after shrinking it.
using FontBytes = std::vector<uint8_t, ZeroedAllocator<uint8_t>>;

}  // namespace glyphcensus
