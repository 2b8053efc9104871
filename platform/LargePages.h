#pragma once

#include <cstddef>

// Large working buffers read and written at random places (a hash table, lists filled in many
// places at once) cost fewer page faults and address-translation misses in the system's large
// pages, where it offers them on request. A hint only: elsewhere nothing changes.
namespace LargePages {

// Asks for large pages for the memory at Data (not yet written: pages already touched keep
// their size). Small buffers are left alone.
void Advise(void* Data, size_t Bytes);

// Makes room for Count items in Buffer (a std::vector or std::string, empty) in large pages.
template <typename TBuffer> void Reserve(TBuffer& Buffer, size_t Count)
{
    Buffer.reserve(Count);
    Advise(Buffer.data(), Buffer.capacity() * sizeof(*Buffer.data()));
}

} // namespace LargePages
