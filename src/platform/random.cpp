#include "platform/random.h"

#include "platform/clock.h"

#include <random>

namespace platform {
namespace {

class DefaultRandom : public RandomSource {
public:
    double next() override
    {
        // 53 random bits over 2^53: always below 1.
        return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    }
    void seedFromClock() override
    {
        engine_.seed(static_cast<std::mt19937_64::result_type>(clock().secondsSinceMidnight() * 1000.0)
                     ^ static_cast<std::mt19937_64::result_type>(clock().monotonicMilliseconds()));
    }

private:
    std::mt19937_64 engine_{std::random_device{}()};
};

DefaultRandom defaultRandom;
RandomSource* current = &defaultRandom;

} // namespace

RandomSource& random()
{
    return *current;
}

RandomSource* setRandom(RandomSource* source)
{
    RandomSource* before = current;
    current = source ? source : &defaultRandom;
    return before;
}

} // namespace platform
