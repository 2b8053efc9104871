#include "platform/LargePages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace LargePages {

void Advise([[maybe_unused]] void* Data, [[maybe_unused]] size_t Bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t Large = uintptr_t(2) << 20;
    if (Bytes < 2 * Large)
        return;
    // Only whole large pages inside the buffer can be given.
    const auto Begin = (reinterpret_cast<uintptr_t>(Data) + Large - 1) & ~(Large - 1);
    const auto End = (reinterpret_cast<uintptr_t>(Data) + Bytes) & ~(Large - 1);
    if (End > Begin)
        madvise(reinterpret_cast<void*>(Begin), End - Begin, MADV_HUGEPAGE);
#endif
}

} // namespace LargePages
