#include "DoubleTextCheckboxButton.h"

#include <QLabel>
#include <QResizeEvent>

DoubleTextCheckboxButton::DoubleTextCheckboxButton(QWidget *parent) : NUVCustomButton(parent)
{
    buildFaces(QStringLiteral("background-color: rgba(0,0,0,0);"), true);
    m_label1 = new QLabel(faces().labelWrapper);
    m_label1->setObjectName(QStringLiteral("label1"));
    m_label1->setGeometry(0, 0, 46, 46);
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setWordWrap(true);
    QFont font = m_label1->font();
    font.setPointSize(7);
    m_label1->setFont(font);
    updateCheckedLook();
    connect(this, &QPushButton::clicked, this, &DoubleTextCheckboxButton::onClick);
}

DoubleTextCheckboxButton::~DoubleTextCheckboxButton() = default;

const QColor &DoubleTextCheckboxButton::uncheckedTextColour()
{
    static const QColor colour(255, 255, 255, 255);
    return colour;
}

const QColor &DoubleTextCheckboxButton::checkedTextColour()
{
    static const QColor colour(255, 255, 255, 255);
    return colour;
}

void DoubleTextCheckboxButton::setTexts(const QString &uncheckedText, const QString &checkedText)
{
    m_uncheckedText = uncheckedText;
    m_checkedText = checkedText;
    updateCheckedLook();
    updateGeometry();
}

QSize DoubleTextCheckboxButton::sizeHint() const
{
    return sizeForTexts(m_label1->font(), {m_uncheckedText, m_checkedText});
}

void DoubleTextCheckboxButton::resizeEvent(QResizeEvent *event)
{
    NUVCustomButton::resizeEvent(event);
    m_label1->setGeometry(0, 0, event->size().width(), event->size().height() - 1);
}

void DoubleTextCheckboxButton::setChecked(bool checked)
{
    // Called at every refresh of the main window: a style sheet set again re-polishes.
    if (checked == m_checked)
        return;
    m_checked = checked;
    updateCheckedLook();
}

QString DoubleTextCheckboxButton::text() const
{
    return m_label1->text();
}

void DoubleTextCheckboxButton::onClick()
{
    m_checked = !m_checked;
    updateCheckedLook();
    emit onCheck(m_checked);
}

void DoubleTextCheckboxButton::updateCheckedLook()
{
    m_label1->setText(m_checked ? m_checkedText : m_uncheckedText);
    const QColor &colour = m_checked ? checkedTextColour() : uncheckedTextColour();
    m_label1->setStyleSheet(QStringLiteral("color: rgba(%1, %2, %3, %4)")
                                .arg(colour.red())
                                .arg(colour.green())
                                .arg(colour.blue())
                                .arg(colour.alpha()));
    showCheckedFaces(m_checked);
}

void DoubleTextCheckboxButton::focusInEvent(QFocusEvent *)
{
    setFaceBorders(focusBorderColour());
}

void DoubleTextCheckboxButton::focusOutEvent(QFocusEvent *)
{
    setFaceBorders(plainBorderColour(), true);
}
