#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QVector>
#include <QWidget>

// The loudness scales' labels, above the curves: each on a dark box of its own, so that it
// reads wherever the curves run. Each label is rendered once into a small picture when the
// labels change; a repaint of the plot under it only copies the pictures it touches.
class NUVPlotScaleLabels : public QWidget
{
    Q_OBJECT
public:
    struct Label
    {
        QPoint baseline; // left end of the text's baseline
        QString text;
        QColor colour;
        bool operator==(const Label &o) const
        {
            return baseline == o.baseline && text == o.text && colour == o.colour;
        }
    };
    // Around the text, inside the box.
    static constexpr int kPadding = 2;
    static const QColor kBoxColour;

    explicit NUVPlotScaleLabels(QWidget *parent);
    ~NUVPlotScaleLabels() override;

    const QVector<Label> &labels() const { return m_labels; }
    // Where the label's box stands.
    QRect boxOf(const Label &label) const;

public slots:
    void setLabels(const QVector<Label> &labels);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<Label> m_labels;
    QVector<QPixmap> m_pictures;
    QVector<QRect> m_boxes;
};
