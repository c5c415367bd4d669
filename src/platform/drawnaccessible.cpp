#include "platform/drawnaccessible.h"

#include "platform/formhost.h"

#include <QAccessible>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace platform {

namespace {

// An interface that the toolkit's cache holds, known by its id: get() answers only while the
// cache still holds that very interface under that id, so an interface the cache has deleted is
// never touched again, and release() never deletes one twice.
class Held {
public:
    Held() = default;
    explicit Held(QAccessibleInterface* iface)
        : id_(iface ? QAccessible::uniqueId(iface) : 0)
        , seen_(iface)
    {
    }
    QAccessibleInterface* get() const
    {
        return seen_ && QAccessible::accessibleInterface(id_) == seen_ ? seen_ : nullptr;
    }
    // Has the cache delete it, if it still holds it.
    void release()
    {
        if (get())
            QAccessible::deleteAccessibleInterface(id_);
        seen_ = nullptr;
    }

private:
    QAccessible::Id id_ = 0;
    QAccessibleInterface* seen_ = nullptr;
};

bool drawnByHost(const QWidget* w)
{
    return w && w->window()->graphicsProxyWidget();
}

// Where a rectangle of w (in w's own coordinates) is drawn on the screen.
QRect drawnRect(const QWidget* w, const QRect& r)
{
    const QPoint topLeft = w->mapToGlobal(r.topLeft());
    const QPoint end = w->mapToGlobal(r.topLeft() + QPoint(r.width(), r.height()));
    return QRect(topLeft, end - QPoint(1, 1));
}

// Stands for the toolkit's interface of a control, or of an item of a control that is not a
// widget of its own (a row of a list, an entry of a menu bar), and answers as it does, but with
// rectangles as they are drawn. The toolkit reports a control's rectangle and a character's
// with the right top-left corner and the design size, and an item's as the design distance
// from its control's corner; both are brought to the screen through the control.
class DrawnAccessible : public QAccessibleInterface,
                        public QAccessibleTextInterface,
                        public QAccessibleTableInterface,
                        public QAccessibleTableCellInterface,
                        public QAccessibleImageInterface {
public:
    // A control: `theirs` is the toolkit's interface of the widget.
    explicit DrawnAccessible(QAccessibleInterface* theirs)
        : theirs_(theirs)
        , ownsTheirs_(true)
        , control_(qobject_cast<QWidget*>(theirs->object()))
    {
    }
    // An item within `owner`, made by `maker`. An item of an object (a menu entry of an action)
    // is tied to that object in the cache, which then knows only this interface for it.
    DrawnAccessible(QAccessibleInterface* theirs, QAccessibleInterface* maker, QWidget* owner)
        : theirs_(theirs)
        , ownsTheirs_(theirs->object() != nullptr)
        , maker_(maker)
        , owner_(owner)
    {
    }
    ~DrawnAccessible() override
    {
        for (Item& item : items_)
            item.ours.release();
        if (ownsTheirs_)
            theirs_.release();
    }

    // The toolkit's interface of a control or item as one of ours (ours stay as they are).
    QAccessibleInterface* ours(QAccessibleInterface* theirs) const
    {
        if (!theirs || dynamic_cast<DrawnAccessible*>(theirs))
            return theirs;
        QObject* object = theirs->object();
        if (object && object->isWidgetType()) {
            QAccessibleInterface* own = QAccessible::queryAccessibleInterface(object);
            return own ? own : theirs;
        }
        QWidget* within = owner();
        if (!within)
            return theirs;
        const QAccessible::Id id = QAccessible::uniqueId(theirs);
        if (auto found = items_.find(id); found != items_.end()) {
            if (found->theirs.get() == theirs) {
                if (QAccessibleInterface* made = found->ours.get())
                    return made;
            }
            found->ours.release();
            items_.erase(found);
        }
        sweepItems();
        auto* made = new DrawnAccessible(theirs, const_cast<DrawnAccessible*>(this), within);
        QAccessible::registerAccessibleInterface(made);
        items_.insert(id, Item { Held(theirs), Held(made) });
        return made;
    }
    static const QAccessibleInterface* theirsOf(const QAccessibleInterface* iface)
    {
        const auto* drawn = dynamic_cast<const DrawnAccessible*>(iface);
        return drawn ? drawn->theirs() : iface;
    }
    QList<QAccessibleInterface*> ours(const QList<QAccessibleInterface*>& theirs) const
    {
        QList<QAccessibleInterface*> list;
        for (QAccessibleInterface* iface : theirs)
            list.append(ours(iface));
        return list;
    }

    bool isValid() const override { return theirs() && theirs()->isValid(); }
    QObject* object() const override { return theirs() ? theirs()->object() : nullptr; }
    QWindow* window() const override { return theirs() ? theirs()->window() : nullptr; }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override
    {
        QList<QPair<QAccessibleInterface*, QAccessible::Relation>> list;
        if (theirs()) {
            for (const auto& relation : theirs()->relations(match))
                list.append({ ours(relation.first), relation.second });
        }
        return list;
    }
    QAccessibleInterface* focusChild() const override { return theirs() ? ours(theirs()->focusChild()) : nullptr; }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        return theirs() ? ours(theirs()->childAt(x, y)) : nullptr;
    }
    QAccessibleInterface* parent() const override
    {
        if (QAccessibleInterface* maker = maker_.get())
            return maker;
        return theirs() ? ours(theirs()->parent()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override { return theirs() ? ours(theirs()->child(index)) : nullptr; }
    int childCount() const override { return theirs() ? theirs()->childCount() : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QAccessibleInterface* own = theirsOf(child);
        return theirs() && own ? theirs()->indexOfChild(own) : -1;
    }
    QString text(QAccessible::Text t) const override { return theirs() ? theirs()->text(t) : QString(); }
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (theirs())
            theirs()->setText(t, text);
    }
    QRect rect() const override
    {
        if (!theirs())
            return QRect();
        if (QWidget* control = control_) {
            return drawnByHost(control) && control->isVisible() ? drawnRect(control, control->rect())
                                                                : theirs()->rect();
        }
        const QRect told = theirs()->rect();
        QWidget* within = owner();
        if (!drawnByHost(within) || told.isEmpty())
            return told;
        return drawnRect(within, QRect(told.topLeft() - within->mapToGlobal(QPoint(0, 0)), told.size()));
    }
    QAccessible::Role role() const override { return theirs() ? theirs()->role() : QAccessible::NoRole; }
    QAccessible::State state() const override
    {
        if (theirs())
            return theirs()->state();
        QAccessible::State gone;
        gone.invalid = true;
        return gone;
    }
    QColor foregroundColor() const override { return theirs() ? theirs()->foregroundColor() : QColor(); }
    QColor backgroundColor() const override { return theirs() ? theirs()->backgroundColor() : QColor(); }
    void virtual_hook(int id, void* data) override
    {
        if (theirs())
            theirs()->virtual_hook(id, data);
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        void* own = theirs() ? theirs()->interface_cast(type) : nullptr;
        if (!own)
            return nullptr;
        switch (type) {
        case QAccessible::TextInterface:
            return static_cast<QAccessibleTextInterface*>(this);
        case QAccessible::TableInterface:
            return static_cast<QAccessibleTableInterface*>(this);
        case QAccessible::TableCellInterface:
            return static_cast<QAccessibleTableCellInterface*>(this);
        case QAccessible::ImageInterface:
            return static_cast<QAccessibleImageInterface*>(this);
        default:
            return own;
        }
    }

    // Text: a character's rectangle as drawn; the rest as the toolkit answers.
    void selection(int index, int* start, int* end) const override
    {
        if (auto* t = theirText())
            t->selection(index, start, end);
        else
            *start = *end = 0;
    }
    int selectionCount() const override { return theirText() ? theirText()->selectionCount() : 0; }
    void addSelection(int start, int end) override
    {
        if (auto* t = theirText())
            t->addSelection(start, end);
    }
    void removeSelection(int index) override
    {
        if (auto* t = theirText())
            t->removeSelection(index);
    }
    void setSelection(int index, int start, int end) override
    {
        if (auto* t = theirText())
            t->setSelection(index, start, end);
    }
    int cursorPosition() const override { return theirText() ? theirText()->cursorPosition() : 0; }
    void setCursorPosition(int position) override
    {
        if (auto* t = theirText())
            t->setCursorPosition(position);
    }
    QString text(int start, int end) const override { return theirText() ? theirText()->text(start, end) : QString(); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        if (auto* t = theirText())
            return t->textBeforeOffset(offset, type, start, end);
        *start = *end = -1;
        return QString();
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        if (auto* t = theirText())
            return t->textAfterOffset(offset, type, start, end);
        *start = *end = -1;
        return QString();
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        if (auto* t = theirText())
            return t->textAtOffset(offset, type, start, end);
        *start = *end = -1;
        return QString();
    }
    int characterCount() const override { return theirText() ? theirText()->characterCount() : 0; }
    QRect characterRect(int offset) const override
    {
        const QRect told = theirText() ? theirText()->characterRect(offset) : QRect();
        QWidget* control = control_;
        if (told.isEmpty() || !drawnByHost(control))
            return told;
        return drawnRect(control, QRect(control->mapFromGlobal(told.topLeft()), told.size()));
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return theirText() ? theirText()->offsetAtPoint(point) : -1;
    }
    void scrollToSubstring(int start, int end) override
    {
        if (auto* t = theirText())
            t->scrollToSubstring(start, end);
    }
    QString attributes(int offset, int* start, int* end) const override
    {
        if (auto* t = theirText())
            return t->attributes(offset, start, end);
        *start = *end = offset;
        return QString();
    }

    // Tables and lists: their cells are items of ours.
    QAccessibleInterface* caption() const override { return theirTable() ? ours(theirTable()->caption()) : nullptr; }
    QAccessibleInterface* summary() const override { return theirTable() ? ours(theirTable()->summary()) : nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        return theirTable() ? ours(theirTable()->cellAt(row, column)) : nullptr;
    }
    int selectedCellCount() const override { return theirTable() ? theirTable()->selectedCellCount() : 0; }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        return theirTable() ? ours(theirTable()->selectedCells()) : QList<QAccessibleInterface*>();
    }
    QString columnDescription(int column) const override
    {
        return theirTable() ? theirTable()->columnDescription(column) : QString();
    }
    QString rowDescription(int row) const override
    {
        return theirTable() ? theirTable()->rowDescription(row) : QString();
    }
    int selectedColumnCount() const override { return theirTable() ? theirTable()->selectedColumnCount() : 0; }
    int selectedRowCount() const override { return theirTable() ? theirTable()->selectedRowCount() : 0; }
    int columnCount() const override { return theirTable() ? theirTable()->columnCount() : 0; }
    int rowCount() const override { return theirTable() ? theirTable()->rowCount() : 0; }
    QList<int> selectedColumns() const override
    {
        return theirTable() ? theirTable()->selectedColumns() : QList<int>();
    }
    QList<int> selectedRows() const override { return theirTable() ? theirTable()->selectedRows() : QList<int>(); }
    bool isColumnSelected(int column) const override { return theirTable() && theirTable()->isColumnSelected(column); }
    bool isRowSelected(int row) const override { return theirTable() && theirTable()->isRowSelected(row); }
    bool selectRow(int row) override { return theirTable() && theirTable()->selectRow(row); }
    bool selectColumn(int column) override { return theirTable() && theirTable()->selectColumn(column); }
    bool unselectRow(int row) override { return theirTable() && theirTable()->unselectRow(row); }
    bool unselectColumn(int column) override { return theirTable() && theirTable()->unselectColumn(column); }
    void modelChange(QAccessibleTableModelChangeEvent* event) override
    {
        if (auto* t = theirTable())
            t->modelChange(event);
    }

    bool isSelected() const override { return theirCell() && theirCell()->isSelected(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        return theirCell() ? ours(theirCell()->columnHeaderCells()) : QList<QAccessibleInterface*>();
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        return theirCell() ? ours(theirCell()->rowHeaderCells()) : QList<QAccessibleInterface*>();
    }
    int columnIndex() const override { return theirCell() ? theirCell()->columnIndex() : -1; }
    int rowIndex() const override { return theirCell() ? theirCell()->rowIndex() : -1; }
    int columnExtent() const override { return theirCell() ? theirCell()->columnExtent() : 0; }
    int rowExtent() const override { return theirCell() ? theirCell()->rowExtent() : 0; }
    QAccessibleInterface* table() const override { return theirCell() ? ours(theirCell()->table()) : nullptr; }

    // A picture stands where its control is drawn, at the size it is drawn.
    QString imageDescription() const override { return theirImage() ? theirImage()->imageDescription() : QString(); }
    QSize imageSize() const override
    {
        const QSize told = theirImage() ? theirImage()->imageSize() : QSize();
        QWidget* control = control_;
        if (!drawnByHost(control) || control->width() <= 0)
            return told;
        const double scale = drawnRect(control, control->rect()).width() / static_cast<double>(control->width());
        return (QSizeF(told) * scale).toSize();
    }
    QPoint imagePosition() const override
    {
        QWidget* control = control_;
        if (drawnByHost(control))
            return drawnRect(control, control->rect()).topLeft();
        return theirImage() ? theirImage()->imagePosition() : QPoint();
    }

private:
    struct Item {
        Held theirs;
        Held ours;
    };

    QAccessibleInterface* theirs() const { return theirs_.get(); }
    QAccessibleTextInterface* theirText() const { return theirs() ? theirs()->textInterface() : nullptr; }
    QAccessibleTableInterface* theirTable() const { return theirs() ? theirs()->tableInterface() : nullptr; }
    QAccessibleTableCellInterface* theirCell() const { return theirs() ? theirs()->tableCellInterface() : nullptr; }
    QAccessibleImageInterface* theirImage() const { return theirs() ? theirs()->imageInterface() : nullptr; }
    // The widget whose coordinates the items of this interface are given in.
    QWidget* owner() const { return control_ ? control_.data() : owner_.data(); }

    // Forgets the items whose toolkit interfaces the cache has let go (a list filled anew).
    void sweepItems() const
    {
        if (items_.size() < sweepAt_)
            return;
        for (auto it = items_.begin(); it != items_.end();) {
            if (!it->theirs.get() || !it->ours.get()) {
                it->ours.release();
                it = items_.erase(it);
            } else {
                ++it;
            }
        }
        sweepAt_ = std::max<qsizetype>(64, items_.size() * 2);
    }

    Held theirs_;
    // Whether the cache still counts on this interface to delete the toolkit's: once ours is
    // cached for an object, the cache knows only ours for it.
    bool ownsTheirs_;
    Held maker_;
    QPointer<QWidget> control_;
    QPointer<QWidget> owner_;
    mutable QHash<QAccessible::Id, Item> items_;
    mutable qsizetype sweepAt_ = 64;
};

// Gives every widget an interface of ours standing for the toolkit's own.
QAccessibleInterface* drawnAccessible(const QString&, QObject* object)
{
    static QObject* making = nullptr; // the widget whose toolkit interface is being made
    if (!object || object == making || !object->isWidgetType())
        return nullptr;
    QObject* const outer = std::exchange(making, object);
    QAccessibleInterface* theirs = QAccessible::queryAccessibleInterface(object);
    making = outer;
    if (!theirs || dynamic_cast<DrawnAccessible*>(theirs))
        return nullptr;
    return new DrawnAccessible(theirs);
}

} // namespace

void reportDrawnRectangles()
{
    static bool installed = false;
    if (installed || formScale() >= 1.0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    installed = true;
    QAccessible::installFactory(drawnAccessible);
}

} // namespace platform
