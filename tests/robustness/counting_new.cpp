// The global allocation functions of this test program, counting while asked to. Kept in
// a file of their own so that no caller is compiled together with them.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/robustness/allocation_count.h"

namespace kestal::robustness {
namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> count{0};
std::atomic<std::uint64_t> tag{0};
std::atomic<std::uint64_t> firstTag{0};
std::atomic<std::size_t> firstSize{0};

void note(std::size_t size) {
  if (!counting.load(std::memory_order_relaxed)) return;
  if (count.fetch_add(1) == 0) {
    firstTag = tag.load();
    firstSize = size;
  }
}

void* allocate(std::size_t size) {
  note(size);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  note(size);
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
  if (void* memory = std::aligned_alloc(align, rounded == 0 ? align : rounded)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void startCountingAllocations() {
  count = 0;
  firstTag = 0;
  firstSize = 0;
  counting = true;
}

AllocationCount stopCountingAllocations() {
  counting = false;
  return {count.load(), firstTag.load(), firstSize.load()};
}

void tagAllocations(std::uint64_t value) {
  tag = value;
}

}  // namespace kestal::robustness

using kestal::robustness::allocate;
using kestal::robustness::allocateAligned;

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocateAligned(size, alignment);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
