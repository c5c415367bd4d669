#pragma once
// Small widgets of the drill form: the year axis with its grid (Picture1), the work area that
// carries the answer lines (Picture2), and fitting a caption into its label.
#include <QLine>
#include <QSizeF>
#include <QTextLayout>
#include <QWidget>
#include <vector>

class QLabel;
class QPainter;

namespace kanameru {

// The year axis 0..2000: white, with a grid line every 100 years (width 1), every 500 years
// (width 2) and at the year 1000 (width 4).
class YearAxis : public QWidget {
    Q_OBJECT
public:
    explicit YearAxis(QWidget* parent);
    // The vertical position of the 100-year line k (1..20) inside the axis.
    int gridLine(int k) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The work area: the drawings on it are the lines from the answer markers to the answer events.
class WorkArea : public QWidget {
    Q_OBJECT
public:
    explicit WorkArea(QWidget* parent);
    void eraseDrawings();
    void drawLine(QLine line);
    const std::vector<QLine>& drawings() const { return lines_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QLine> lines_;
};

// Wrapped text laid out with a tight line spacing: the lines stand 1.2 em apart instead of the
// font's own line height (Noto Sans CJK's is nearly 1.5 em), so that two lines of a long
// explanation fit a low label at a readable size. Lines break where Japanese may break (never
// before "、" or "ー"), otherwise anywhere, and are made as even as they can be.
class TightText {
public:
    static constexpr double kLineStep = 1.2; // in em

    TightText(const QString& text, const QFont& font, qreal width, QPaintDevice* device = nullptr);
    TightText(const TightText&) = delete;
    TightText& operator=(const TightText&) = delete;

    int lineCount() const { return layout_.lineCount(); }
    // The block the glyphs take: the widest line by the em boxes of the lines.
    QSizeF size() const { return size_; }
    // Draws the block in `room`, aligned as a label aligns its text.
    void draw(QPainter& painter, const QRectF& room, Qt::Alignment alignment) const;

private:
    int layOut(qreal width); // returns the number of lines
    QTextLayout layout_;
    qreal em_ = 0;
    QSizeF size_;
};

// Sets the label's caption in the largest caption font from maxPoints down to minPoints (half
// points) in which it fits the label whole, wrapping lines when the label wraps. A drag label
// with tight lines is measured as it paints its text.
void fitCaption(QLabel* label, const QString& text, double maxPoints, double minPoints, bool bold = false);

// The same for a label of one line that may grow to the right: a caption that does not fit
// its label even at minPoints widens the label (up to maxWidth pixels) instead of being cut.
// The label keeps the width it was designed with (its first width) for captions that fit.
void fitCaptionWidening(
    QLabel* label, const QString& text, double maxPoints, double minPoints, int maxWidth, bool bold = false);

} // namespace kanameru
