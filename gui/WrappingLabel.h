#pragma once

#include <QLabel>

class QTextLayout;

// A label whose plain text wraps at word boundaries and, where one word is wider than the
// line (a long path), also inside that word, so that the text is shown whole instead of cut.
// Its text() stays the text as given.
class WrappingLabel : public QLabel
{
    Q_OBJECT
public:
    explicit WrappingLabel(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the text out in lines of `width` pixels; the height taken.
    qreal layOut(QTextLayout &layout, qreal width) const;
};
