#include "track/store_array.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace tackedit {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundToHugePages(std::size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

} // namespace

void* AllocateZeroed(std::size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    if (bytes < kHugePage) {
        void* block = std::calloc(bytes, 1);
        if (!block)
            throw std::bad_alloc();
        return block;
    }
    const std::size_t size = RoundToHugePages(bytes);
    if (size < bytes)
        throw std::bad_alloc();
    // Mapped one huge page too long, then trimmed to the boundary inside.
    void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePage - aligned)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    // Only advice: without huge pages the memory works the same.
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeZeroed(void* block, std::size_t bytes)
{
    if (!block)
        return;
    if (bytes < kHugePage)
        std::free(block);
    else
        ::munmap(block, RoundToHugePages(bytes));
}

} // namespace tackedit
