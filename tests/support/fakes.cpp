#include "support/fakes.h"

#include "startup/hensuu1.h"
#include "startup/navigation.h"

namespace testing_support {

FakePlatform::FakePlatform()
{
    kanameru::reg.reset();
    kanameru::resetScreens();
    oldClock_ = platform::setClock(&clock);
    oldRandom_ = platform::setRandom(&random);
    oldBox_ = platform::setMessageBoxService(&messages);
}

FakePlatform::~FakePlatform()
{
    platform::setClock(oldClock_);
    platform::setRandom(oldRandom_);
    platform::setMessageBoxService(oldBox_);
    kanameru::resetScreens();
    kanameru::reg.reset();
}

} // namespace testing_support
