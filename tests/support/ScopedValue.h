#pragma once

#include <utility>

// Sets a setting of the program (a static wait or timeout) for one test and puts the old value
// back however the test ends, an early ASSERT included.
template <typename T> class TScopedValue
{
public:
    TScopedValue(T& Setting, T Value) : FSetting(Setting), FSaved(std::exchange(Setting, Value)) {}
    ~TScopedValue() { FSetting = FSaved; }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& FSetting;
    T FSaved;
};
