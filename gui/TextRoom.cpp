#include "TextRoom.h"

#include "NUVCustomButton.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRect>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The form's geometry and sizes of a widget, kept on the widget itself.
const char kFormGeometry[] = "kivFormGeometry";
const char kFormMinimum[] = "kivFormMinimum";
const char kGrowsWindow[] = "kivGrowsWindow";

double textScale(const QWidget *widget)
{
    // The forms leave a little room: text up to a tenth larger (X servers that tell 100 dpi)
    // fits them as they are.
    constexpr double kFormDpi = 96.0;
    constexpr double kSlack = 1.1;
    const double scale = widget->logicalDpiY() / kFormDpi;
    return scale < kSlack ? 1.0 : scale;
}

// What the child's text needs; an empty size for a child without text.
QSize textNeed(const QWidget *child)
{
    if (const auto *label = qobject_cast<const QLabel *>(child)) {
        if (label->text().isEmpty())
            return QSize();
        // A wrapped text keeps its width and takes the lines it needs; within the forms'
        // slack it stays as the form has it.
        if (label->wordWrap()) {
            return textScale(label) > 1.0 ? QSize(0, label->heightForWidth(label->width()))
                                          : QSize();
        }
        return label->sizeHint();
    }
    if (qobject_cast<const NUVCustomButton *>(child))
        return child->sizeHint();
    // A group laid out by a layout of its own, which knows what its texts need.
    if (child->layout() && !qobject_cast<const QPushButton *>(child))
        return child->layout()->totalSizeHint();
    if (const auto *button = qobject_cast<const QPushButton *>(child)) {
        // The text and the rounded border of the program's button sheets; a push button's
        // own size hint adds the style's wide margins, more than the forms give.
        constexpr int kBorder = 6;
        const QFontMetrics metrics(button->font());
        const QSize text = metrics.size(Qt::TextShowMnemonic, button->text());
        return button->text().isEmpty() ? QSize()
                                        : QSize(text.width() + 2 * kBorder, text.height() + 4);
    }
    return QSize();
}

void fitRow(QWidget *container)
{
    struct Placed
    {
        QWidget *child;
        QRect form;
        int grownRight;
    };
    std::vector<Placed> row;
    for (QWidget *child : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        QVariant form = child->property(kFormGeometry);
        if (!form.isValid()) {
            form = child->geometry();
            child->setProperty(kFormGeometry, form);
        }
        row.push_back({child, form.toRect(), 0});
    }
    std::stable_sort(row.begin(), row.end(),
                     [](const Placed &a, const Placed &b) { return a.form.x() < b.form.x(); });
    QSize extent = container->property(kFormMinimum).toSize();
    // How tall the row stands at the form's own sizes; only growth beyond it concerns the
    // parents, so that at those sizes nothing above the row moves.
    int formBottom = extent.height();
    for (const Placed &placed : row)
        formBottom = std::max(formBottom, placed.form.y() + placed.form.height());
    QSize growth(0, 0);
    for (Placed &placed : row) {
        const QRect &form = placed.form;
        int shift = 0;
        for (const Placed &left : row) {
            if (&left == &placed)
                break;
            if (left.form.x() + left.form.width() <= form.x())
                shift = std::max(shift, left.grownRight - (left.form.x() + left.form.width()));
        }
        const QSize need = textNeed(placed.child);
        const int width = std::max(form.width(), need.width());
        const int height = std::max(form.height(), need.height());
        const QRect grown(form.x() + shift, form.y() - (height - form.height()) / 2, width, height);
        placed.grownRight = grown.x() + grown.width();
        growth = growth.expandedTo(QSize(placed.grownRight - (form.x() + form.width()),
                                         grown.y() + grown.height() - (form.y() + form.height())));
        QWidget *child = placed.child;
        if (child->maximumWidth() < width || child->maximumHeight() < height)
            child->setMaximumSize(child->maximumSize().expandedTo(grown.size()));
        if (child->geometry() != grown)
            child->setGeometry(grown);
        extent = extent.expandedTo(QSize(placed.grownRight, grown.y() + grown.height()));
    }
    if (container->minimumSize() != extent)
        container->setMinimumSize(extent);
    // A dialog drawn on one background grows with it by as much as its parts grew, keeping
    // its margins, and the parts that span the form's width span the grown one.
    if (container->property(kGrowsWindow).toBool()) {
        QWidget *window = container->window();
        const QSize form = window->property(kFormMinimum).toSize();
        const QSize size = form + growth;
        if (window->minimumSize() != size) {
            window->setMinimumSize(size);
            window->setMaximumSize(window->maximumSize().expandedTo(size));
            container->setMaximumSize(container->maximumSize().expandedTo(size));
            container->resize(container->size().expandedTo(size));
        }
        for (const Placed &placed : row) {
            QWidget *child = placed.child;
            if (placed.form.x() == 0 && placed.form.width() >= form.width() &&
                child->width() < size.width()) {
                child->setMaximumWidth(std::max(child->maximumWidth(), size.width()));
                child->resize(size.width(), child->height());
            }
        }
    }
    // Within the forms' slack a line a pixel taller stays inside them as it is.
    const bool taller = extent.height() > formBottom && textScale(container) > 1.0;
    // A parent given a minimum width of its own does not take its layout's: each one up to
    // the window widens here when the row no longer fits, instead of laying one part over
    // the next. Likewise taller, once lines stacked in the row grew taller than the form's.
    QWidget *child = container;
    for (QWidget *parent = container->parentWidget(); parent; parent = parent->parentWidget()) {
        // The layouts learn the child's new minimum now, not at their next turn.
        child->updateGeometry();
        child = parent;
        if (parent->layout() && (parent->minimumWidth() > 0 || taller)) {
            parent->layout()->invalidate();
            const QSize need = parent->layout()->totalMinimumSize();
            if (parent->minimumWidth() > 0 && need.width() > parent->minimumWidth())
                parent->setMinimumWidth(need.width());
            if (taller && parent->minimumHeight() > 0 && need.height() > parent->minimumHeight()) {
                parent->setMinimumHeight(need.height());
                if (parent->maximumHeight() < need.height())
                    parent->setMaximumHeight(need.height());
            }
        }
        if (parent->isWindow())
            break;
    }
}

void fitWidget(QWidget *widget)
{
    const QSize least = widget->property(kFormMinimum).toSize();
    const QSize size = least.expandedTo(textNeed(widget));
    if (widget->minimumSize() != size)
        widget->setMinimumSize(size);
    if (widget->maximumWidth() < size.width() || widget->maximumHeight() < size.height())
        widget->setMaximumSize(widget->maximumSize().expandedTo(size));
}

class RowFitter : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::LayoutRequest: // a child's text, font or size hint changed
        case QEvent::Show:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            fitRow(static_cast<QWidget *>(watched));
            break;
        default:
            break;
        }
        return false;
    }
};

class WidgetFitter : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
        case QEvent::Show:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            fitWidget(static_cast<QWidget *>(watched));
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void TextRoom::growRow(QWidget *container)
{
    if (!container->property(kFormMinimum).isValid()) {
        container->setProperty(kFormMinimum, container->minimumSize());
        container->installEventFilter(new RowFitter(container));
    }
    fitRow(container);
}

void TextRoom::growWindow(QWidget *background)
{
    QWidget *window = background->window();
    if (!window->property(kFormMinimum).isValid())
        window->setProperty(kFormMinimum, window->minimumSize());
    background->setProperty(kGrowsWindow, true);
    growRow(background);
}

void TextRoom::atLeast(QWidget *widget)
{
    if (!widget->property(kFormMinimum).isValid()) {
        widget->setProperty(kFormMinimum, widget->minimumSize());
        widget->installEventFilter(new WidgetFitter(widget));
    }
    fitWidget(widget);
}

int TextRoom::scaled(const QWidget *widget, int formLength)
{
    return static_cast<int>(std::lround(formLength * textScale(widget)));
}

int TextRoom::grownBy(const QWidget *widget, int length)
{
    return length - static_cast<int>(std::lround(length / textScale(widget)));
}
