#include "drill/keycursor.h"

#include <algorithm>

namespace kanameru {

QString keyHintsText(const QString& enterPresses)
{
    QString text
        = QStringLiteral("キーボードでは：矢印キーで枠を動かす　スペースで持ち上げる・入れ替える　Escで元に戻す");
    if (!enterPresses.isEmpty())
        text += QStringLiteral("　Enterで「%1」").arg(enterPresses);
    return text;
}

CursorKind KeyCursor::movable(const AnswerFlow& flow)
{
    if (!flow.hasQuestion())
        return CursorKind::None;
    if (flow.dragPhase() == 1)
        return CursorKind::Explanation;
    if (flow.dragPhase() == 2 && flow.button() != PhaseButton::RetryOrder)
        return CursorKind::Event;
    return CursorKind::None;
}

CursorKind KeyCursor::kind(const AnswerFlow& flow) const
{
    if (!flow.hasQuestion())
        return CursorKind::None;
    return flow.dragPhase() == 2 ? CursorKind::Event : CursorKind::Explanation;
}

CursorAction KeyCursor::key(Qt::Key key, const AnswerFlow& flow)
{
    CursorAction a;
    const CursorKind may = movable(flow);
    // A label picked up in a phase that has since ended goes back by itself.
    if (picked_ != 0 && pickedKind_ != may) {
        a = { CursorAction::PutBack, pickedKind_, picked_, 0 };
        putBack();
        return a;
    }
    a.kind = kind(flow);
    if (a.kind == CursorKind::None)
        return {};
    const int last = kEventsPerQuestion;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End: {
        int next = index_;
        if (key == Qt::Key_Up || key == Qt::Key_Left)
            next = std::max(1, index_ - 1);
        else if (key == Qt::Key_Down || key == Qt::Key_Right)
            next = std::min(last, index_ + 1);
        else
            next = key == Qt::Key_Home ? 1 : last;
        if (next == index_)
            return {};
        index_ = next;
        a.type = CursorAction::Moved;
        return a;
    }
    case Qt::Key_Space:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (picked_ != 0) {
            a = { CursorAction::Drop, pickedKind_, picked_, index_ };
            putBack();
            return a;
        }
        if (key != Qt::Key_Space) {
            a.type = flow.button() == PhaseButton::None ? CursorAction::Nothing : CursorAction::PressButton;
            return a;
        }
        if (may == CursorKind::None)
            return {};
        picked_ = index_;
        pickedKind_ = may;
        return { CursorAction::PickUp, may, index_, 0 };
    case Qt::Key_Escape:
        if (picked_ == 0)
            return {};
        a = { CursorAction::PutBack, pickedKind_, picked_, 0 };
        putBack();
        return a;
    default:
        return {};
    }
}

} // namespace kanameru
