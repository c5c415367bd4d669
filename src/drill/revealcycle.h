#pragma once
// Flash-card practice: each usable row of the level is a card whose three parts (year, event,
// explanation, in a chosen display order) are revealed one after another. Cards come in row
// order; a card marked as learned is left out until every card is learned, and then all
// start again from the first row.
#include "drill/drillrules.h"

#include <QString>
#include <array>
#include <vector>

namespace kanameru {

constexpr int kDisplayOrders = 6;
constexpr int kSpeeds = 6;
constexpr int kDefaultDisplayOrder = 1;
constexpr int kDefaultSpeed = 4;

class RevealCycle {
public:
    explicit RevealCycle(const QuestionRows& rows);

    // Clears the learned flags of the usable rows; no card is on show.
    void restart();
    // Moves to the next card that is not learned and fills its parts in the display order
    // (1..6). The rows must hold at least one usable row.
    void nextCard(int displayOrder);
    // Takes the card on show out of the cycle; it stays on show.
    void markLearned();

    int currentCard() const { return currentCard_; }
    bool learned(int row) const { return learned_[row]; }
    // The parts of the card on show, 1..3.
    const QString& part(int i) const { return parts_[i - 1]; }

    // The interval of the reveal timers for a speed (1..6): 2000 ms times the speed's factor.
    static int interval(int speed);

private:
    const QuestionRows& rows_;
    std::vector<bool> learned_;
    int currentCard_ = 0;
    std::array<QString, 3> parts_;
};

} // namespace kanameru
