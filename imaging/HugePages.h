#pragma once
// Large fresh buffers are faulted in 2 MB pages where the kernel allows it: first touches of a fresh
// 72 MB buffer in 4 KB pages cost more than copying the pixels into it.
#include "imaging/Codecs.h"

#include <cstdint>
#include <sys/mman.h>

namespace zelpix {

// Call before the memory is first touched; a hint only.
inline void AdviseHugePages(void* data, std::size_t size)
{
    constexpr std::size_t Small = std::size_t(4) << 20, Page = 4096;
    if (size < Small || !data)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t aligned = (start + Page - 1) & ~std::uintptr_t(Page - 1);
    ::madvise(reinterpret_cast<void*>(aligned), size - (aligned - start), MADV_HUGEPAGE);
}

// A zeroed output buffer of size bytes.
inline Bytes OutputBuffer(std::size_t size)
{
    Bytes bytes;
    bytes.reserve(size);
    AdviseHugePages(bytes.data(), size);
    bytes.resize(size);
    return bytes;
}

}  // namespace zelpix
