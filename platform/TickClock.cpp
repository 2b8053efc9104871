#include "platform/TickClock.h"

#include <QElapsedTimer>

namespace TickClock {
namespace {

TTickSource& Source()
{
    static TTickSource TheSource;
    return TheSource;
}

uint32_t MonotonicTicks()
{
    static const QElapsedTimer Started = [] {
        QElapsedTimer Timer;
        Timer.start();
        return Timer;
    }();
    // Start well away from zero: the wrap is not something only tests ever see.
    return static_cast<uint32_t>(static_cast<uint64_t>(Started.elapsed()) + 0x10000u);
}

} // namespace

uint32_t GetTickCount()
{
    const TTickSource& S = Source();
    return S ? S() : MonotonicTicks();
}

void SetTickSource(TTickSource NewSource)
{
    Source() = std::move(NewSource);
}

} // namespace TickClock
