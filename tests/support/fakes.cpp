#include "support/fakes.h"

#include "startup/hensuu1.h"
#include "startup/navigation.h"
#ifdef KANAMERU_FORM_TESTS
#include "platform/screen.h"
#endif

namespace testing_support {

FakePlatform::FakePlatform()
{
    kanameru::reg.reset();
    kanameru::resetScreens();
    oldClock_ = platform::setClock(&clock);
    oldRandom_ = platform::setRandom(&random);
    oldBox_ = platform::setMessageBoxService(&messages);
#ifdef KANAMERU_FORM_TESTS
    // A test presses one button after the other at once; the tests of the double-click
    // pause set their own.
    platform::setDoubleClickPause(0);
#endif
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
