#include "AgSettingsListItem.h"

#include <AgListStyles.h>
#include <DialogStyles.h>

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
    label->setMaximumSize(213, 24);
    label->setFixedHeight(24);
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
    resize(193, 58);
    setFixedHeight(58);
    setMinimumWidth(0);
    setMaximumWidth(229);
    setStyleSheet(AgListStyles::toolTipSheet());

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(8, 6, 0, 12);
    f.labelInstrumentName = addNameLabel(this, QStringLiteral("labelInstrumentName"));
    f.gridLayout->addWidget(f.labelInstrumentName, 0, 0);
    f.labelAgName = addNameLabel(this, QStringLiteral("labelAgName"));
    f.gridLayout->addWidget(f.labelAgName, 1, 0);
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
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, kMaxTextWidth));
}
