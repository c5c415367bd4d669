#include "drill/revealcycle.h"

#include <algorithm>
#include <cmath>

namespace kanameru {

RevealCycle::RevealCycle(const QuestionRows& rows)
    : rows_(rows)
    , learned_(kMaxQuestionRows + 1, false)
{
}

void RevealCycle::restart()
{
    std::fill(learned_.begin(), learned_.end(), false);
    currentCard_ = 0;
}

void RevealCycle::nextCard(int displayOrder)
{
    const int usable = rows_.usableRowCount;
    if (usable <= 0)
        return;
    if (std::count(learned_.begin() + 1, learned_.begin() + 1 + usable, true) == usable) {
        std::fill(learned_.begin(), learned_.end(), false);
        currentCard_ = 0;
    }
    do {
        currentCard_ = currentCard_ % usable + 1;
    } while (learned_[currentCard_]);

    const QString& year = rows_.rowYear[currentCard_];
    const QString& event = rows_.rowEvent[currentCard_];
    const QString& explanation = rows_.rowExplanation[currentCard_];
    switch (std::clamp(displayOrder, 1, kDisplayOrders)) {
    case 1:
        parts_ = { year, event, explanation };
        break;
    case 2:
        parts_ = { year, explanation, event };
        break;
    case 3:
        parts_ = { event, year, explanation };
        break;
    case 4:
        parts_ = { explanation, year, event };
        break;
    case 5:
        parts_ = { event, explanation, year };
        break;
    default:
        parts_ = { explanation, event, year };
        break;
    }
}

void RevealCycle::markLearned()
{
    if (currentCard_ > 0)
        learned_[currentCard_] = true;
}

int RevealCycle::interval(int speed)
{
    static constexpr double factors[kSpeeds] = { 0.1, 0.3, 0.5, 1, 1.5, 2 };
    return static_cast<int>(std::lround(2000 * factors[std::clamp(speed, 1, kSpeeds) - 1]));
}

} // namespace kanameru
