#include "endscreen/startdrill.h"

#include "platform/events.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

namespace kanameru {

void startDrill()
{
    // The attempt about to start has solved nothing, is neither finishing nor out of time,
    // and has earned no record yet.
    reg.allSolved = 0;
    reg.finishing = 0;
    reg.timeUp = 0;
    reg.solvedCount = 0;
    reg.elapsedSeconds = 0;
    reg.newPersonalBest = 0;
    reg.newOverallBest = 0;
    platform::letEventsRun();
    showDrillForm();
}

} // namespace kanameru
