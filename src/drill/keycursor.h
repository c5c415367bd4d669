#pragma once
// Answering with the keyboard instead of the mouse: a cursor stands on one label of the kind the
// phase lets the pupil move (the explanations while they are matched, the events while they are
// ordered). Space picks the label under the cursor up and a second Space (or Enter) drops it on
// the label under the cursor, which the form hands to the drop of a drag; Escape puts it back;
// Enter with nothing picked up presses the phase button on show.
#include "drill/answerflow.h"

#include <QString>
#include <Qt>

namespace kanameru {

enum class CursorKind { None, Explanation, Event }; // Label3, Label1

struct CursorAction {
    enum Type { Nothing, Moved, PickUp, Drop, PutBack, PressButton } type = Nothing;
    CursorKind kind = CursorKind::None;
    int from = 0; // the label picked up (PickUp, Drop, PutBack)
    int to = 0; // the label dropped on (Drop)
};

// The line that names the keys of keyboard play; `enterPresses` is the caption of the button
// Enter presses now (none: the Enter part is left out).
QString keyHintsText(const QString& enterPresses);

class KeyCursor {
public:
    // The kind of label the pupil may move in the flow's present state: explanations in the
    // first phase, events in the second unless "もう１度" is on show; None otherwise.
    static CursorKind movable(const AnswerFlow& flow);

    // The kind the cursor stands on: the movable kind, or, while nothing may be moved, the kind
    // of the phase (so the cursor stays where the pupil will go on).
    CursorKind kind(const AnswerFlow& flow) const;
    int index() const { return index_; }
    int picked() const { return picked_; } // 0 while nothing is picked up
    CursorKind pickedKind() const { return pickedKind_; }

    // What a key does; the cursor moves at once, a pick-up or drop is for the form to carry
    // out through the drag's own handlers (and to confirm with picked()).
    CursorAction key(Qt::Key key, const AnswerFlow& flow);
    // Forgets a pick-up (a drag with the mouse started, the question changed).
    void putBack()
    {
        picked_ = 0;
        pickedKind_ = CursorKind::None;
    }

private:
    int index_ = 1; // 1..5
    int picked_ = 0;
    CursorKind pickedKind_ = CursorKind::None;
};

} // namespace kanameru
