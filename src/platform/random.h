#pragma once

namespace platform {

// Random numbers in [0, 1). Tests install a source with a fixed sequence.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    // Seeds the generator from the clock (the drill form does this when it loads).
    virtual void seedFromClock() = 0;
};

RandomSource& random();
// Installs a source (nullptr restores the default generator); returns the one installed before.
RandomSource* setRandom(RandomSource* source);

} // namespace platform
