#include "AgSettingsListItem.h"

#include <AgListStyles.h>
#include <DialogStyles.h>
#include <TextRoom.h>

#include <QGridLayout>
#include <QLabel>

namespace {

const QString kPlaceholder = QStringLiteral("AgmnopytTqazlM");

QLabel *addNameLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(kPlaceholder, parent);
    label->setObjectName(name);
    label->setFont(DialogStyles::verdana(16));
    label->setStyleSheet(QStringLiteral("color:white"));
    // As tall as a line of its font, and wider by as much as the names may grow.
    const int height = 24 + TextRoom::grownBy(label, label->fontMetrics().height());
    label->setMaximumSize(213 + AgSettingsListItem::extraWidth(label), height);
    label->setFixedHeight(height);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setIndent(0);
    return label;
}

} // namespace

AgSettingsListItem::AgSettingsListItem(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

AgSettingsListItem::~AgSettingsListItem() = default;

void AgSettingsListItem::setupForm()
{
    setObjectName(QStringLiteral("AgSettingsListItem"));
    setWindowTitle(QStringLiteral("Form"));
    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(8, 6, 0, 12);
    f.labelInstrumentName = addNameLabel(this, QStringLiteral("labelInstrumentName"));
    f.gridLayout->addWidget(f.labelInstrumentName, 0, 0);
    f.labelAgName = addNameLabel(this, QStringLiteral("labelAgName"));
    f.gridLayout->addWidget(f.labelAgName, 1, 0);

    // The row takes two lines of its labels' font more than the form's 24 px each.
    const int taller = 2 * (f.labelAgName->height() - 24);
    resize(193 + extraWidth(f.labelAgName), 58 + taller);
    setFixedHeight(58 + taller);
    setMinimumWidth(0);
    setMaximumWidth(229 + extraWidth(f.labelAgName));
    setStyleSheet(AgListStyles::toolTipSheet());
}

int AgSettingsListItem::extraWidth(const QWidget *label)
{
    return TextRoom::scaled(label, kMaxTextWidth) - kMaxTextWidth;
}

void AgSettingsListItem::setInstrumentName(const QString &name)
{
    setElidedText(name, m_form->labelInstrumentName);
}

void AgSettingsListItem::setAgName(const QString &name)
{
    setElidedText(name, m_form->labelAgName);
}

QString AgSettingsListItem::getInstrumentNameText() const
{
    return m_form->labelInstrumentName->text();
}

QString AgSettingsListItem::getAgNameText() const
{
    return m_form->labelAgName->text();
}

void AgSettingsListItem::setElidedText(const QString &text, QLabel *label)
{
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight,
                                                   TextRoom::scaled(label, kMaxTextWidth)));
}
