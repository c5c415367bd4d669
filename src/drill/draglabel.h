#pragma once
// A label of a control array that the pupil can drag onto another label: while the button is
// held the label follows the pointer, keeping the point where it was taken under the pointer;
// on release it goes back to its place and the form is told where it was dropped.
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <functional>
#include <memory>

namespace kanameru {

class TightText;

class DragLabel : public QLabel {
    Q_OBJECT
public:
    DragLabel(const char* name, int index, QWidget* parent);
    ~DragLabel() override;
    int index() const { return index_; }
    bool dragging() const { return dragging_; }

    // Paints a wrapped caption with tight line spacing (TightText) inside textRoom().
    void setTightLines(bool on)
    {
        tightLines_ = on;
        update();
    }
    bool tightLines() const { return tightLines_; }
    // The frames of keyboard play, drawn just outside the label so that they cover nothing of
    // its caption: the cursor (a thick dark outline) and the label picked up (a dashed
    // dark-orange one).
    void setKeyFrames(bool cursor, bool picked);
    bool hasCursorFrame() const { return cursorFrame_; }
    bool hasPickedFrame() const { return pickedFrame_; }
    // The room of the caption: inside the frame, the indent kept on both sides, a pixel spare
    // above and below.
    QRect textRoom() const;
    // Keeps a layout of `text` in `font` for the width of textRoom(), made while fitting the
    // caption, so that painting the caption need not lay it out again.
    void keepLayout(std::unique_ptr<TightText> laid, const QString& text, const QFont& font);

    // Asked at the press whether a drag may start from this label.
    std::function<bool(int index)> mayStart;
    // Told at the release of a drag, with the pointer's global position.
    std::function<void(int index, QPoint globalPosition)> dropped;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    bool dragging_ = false;
    bool tightLines_ = false;
    bool cursorFrame_ = false;
    bool pickedFrame_ = false;
    QWidget* frame_ = nullptr; // the frames, a sibling above the label
    // The caption as last laid out, and what it was laid out for.
    std::unique_ptr<TightText> laid_;
    QString laidText_;
    QFont laidFont_;
    int laidWidth_ = -1;
    QPoint grabOffset_;
    QRect home_;
};

// The label of `labels` (visible ones only) under a global position, or nullptr.
template <class Labels> auto* labelAt(const Labels& labels, QPoint globalPosition)
{
    for (auto* label : labels) {
        if (label && label->isVisible() && label->rect().contains(label->mapFromGlobal(globalPosition)))
            return label;
    }
    return static_cast<std::remove_reference_t<decltype(*labels.begin())>>(nullptr);
}

} // namespace kanameru
