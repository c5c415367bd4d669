#include "support/fakes.h"

#include "startup/hensuu1.h"
#include "startup/navigation.h"
#ifdef KANAMERU_FORM_TESTS
#include "platform/inputgate.h"
#endif

namespace testing_support {

namespace {
// The fakes are installed for the life of one FakePlatform at a time. A second one made while
// the first still lives (`school = std::make_unique<…>()` over a live one) would be undone by
// the first one's destructor: the program would read the real clock while the test believes
// it set "today", and later a freed fake. Such a test ends at once, naming the mistake.
int livePlatforms = 0;
} // namespace

FakePlatform::FakePlatform()
{
    if (livePlatforms++ > 0)
        qFatal("a second FakePlatform was made while another one lives: reset the old one first");
    kanameru::reg.reset();
    kanameru::resetScreens();
    oldClock_ = platform::setClock(&clock);
    oldRandom_ = platform::setRandom(&random);
    oldBox_ = platform::setMessageBoxService(&messages);
#ifdef KANAMERU_FORM_TESTS
    // A test presses one button after the other at once; the tests of the settle time set
    // their own.
    platform::setSettleMilliseconds(0);
#endif
}

FakePlatform::~FakePlatform()
{
    platform::setClock(oldClock_);
    platform::setRandom(oldRandom_);
    platform::setMessageBoxService(oldBox_);
    kanameru::resetScreens();
    kanameru::reg.reset();
    --livePlatforms;
}

} // namespace testing_support
