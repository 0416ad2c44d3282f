#include "NUVCustomButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace {

QWidget *makeLayer(QWidget *parent, const char *name, const QRect &geometry, const QString &sheet,
                   bool fixedPolicy)
{
    auto *layer = new QWidget(parent);
    layer->setObjectName(QLatin1String(name));
    layer->setGeometry(geometry);
    if (fixedPolicy)
        layer->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    layer->setStyleSheet(sheet);
    layer->setAttribute(Qt::WA_TransparentForMouseEvents);
    return layer;
}

const QString &transparentSheet()
{
    static const QString sheet = QStringLiteral("background-color: rgba(0,0,0,0);");
    return sheet;
}

const QString &whiteStripSheet()
{
    static const QString sheet =
        QStringLiteral("background-color: rgba(255,255,255,90);border-radius: 4px;");
    return sheet;
}

} // namespace

NUVCustomButton::NUVCustomButton(QWidget *parent)
    : QPushButton(parent), m_form(std::make_unique<Form>())
{
    setObjectName(QStringLiteral("NUVCustomButton"));
    resize(310, 83);
    setStyleSheet(QStringLiteral(" border-radius: 4px"));

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);
    f.widget = new QWidget(this);
    f.widget->setObjectName(QStringLiteral("widget"));
    f.widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    f.widget->setLayoutDirection(Qt::LeftToRight);
    f.widget->setStyleSheet(
        QStringLiteral("background-color:rgba(255,255,255, 40); border-radius: 4px"));
    f.widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    f.gridLayout->addWidget(f.widget, 0, 0);

    setButtonEnabled(true);
}

NUVCustomButton::~NUVCustomButton() = default;

const QString &NUVCustomButton::focusBorderColour()
{
    static const QString colour = QStringLiteral("#FFFFFF");
    return colour;
}

const QString &NUVCustomButton::plainBorderColour()
{
    static const QString colour = QStringLiteral("#414141");
    return colour;
}

QString NUVCustomButton::lightFaceSheet(const QString &borderColour)
{
    static const QString sheet = QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #A9A9A9, "
        "stop:1 #797979);border: 1px solid %1;border-radius: 4px;");
    return sheet.arg(borderColour);
}

QString NUVCustomButton::darkFaceSheet(const QString &borderColour)
{
    static const QString sheet = QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #585858, "
        "stop:1 #434343);border: 1px solid %1; border-radius: 4px;");
    return sheet.arg(borderColour);
}

void NUVCustomButton::setButtonEnabled(bool enabled)
{
    setEnabled(enabled);
    if (enabled)
        m_form->widget->lower();
    else
        m_form->widget->raise();
}

void NUVCustomButton::setClickOnFilteredEvents()
{
    m_clickOnFilteredEvents = true;
}

bool NUVCustomButton::eventFilter(QObject *watched, QEvent *event)
{
    if (m_clickOnFilteredEvents) {
        emit clicked(false);
        return true;
    }
    return QPushButton::eventFilter(watched, event);
}

QSize NUVCustomButton::sizeHint() const
{
    if (!m_faces.labelWrapper)
        return QPushButton::sizeHint();
    QSize size = sizeForTexts(font(), {});
    for (const QLabel *label : m_faces.labelWrapper->findChildren<QLabel *>())
        size = size.expandedTo(sizeForTexts(label->font(), {label->text()}));
    return size;
}

QSize NUVCustomButton::sizeForTexts(const QFont &font, const QStringList &texts)
{
    // Clear of the rounded border on each side.
    constexpr int kPadding = 3;
    const QFontMetrics metrics(font);
    QSize size(46, 47);
    for (const QString &text : texts) {
        const QRect need = metrics.boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignCenter, text);
        size = size.expandedTo(QSize(need.width() + 2 * kPadding, need.height() + 2 * kPadding + 1));
    }
    return size;
}

void NUVCustomButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    if (m_faces.onWrapper)
        fitFaceLayers(m_faces, event->size());
}

void NUVCustomButton::fitFaceLayers(const Faces &f, const QSize &size)
{
    const int w = size.width();
    const int h = size.height();
    const QRect whole(0, 0, w, h);
    const QRect strip(0, 1, w, h - 1);
    const QRect face(0, 0, w, h - 1);
    f.onWrapper->setGeometry(whole);
    f.shadowOn->setGeometry(strip);
    f.backgroundOn->setGeometry(face);
    if (f.offWrapper) {
        f.offWrapper->setGeometry(whole);
        f.shadowOff->setGeometry(strip);
        f.backgroundOff->setGeometry(face);
        f.shadowOff2->setGeometry(0, 0, w, 5);
    }
    f.labelWrapper->setGeometry(face);
}

void NUVCustomButton::buildFaces(const QString &buttonSheet, bool withOffFaces)
{
    resize(46, 47);
    setStyleSheet(buttonSheet);
    m_faces = makeFaceLayers(this, withOffFaces);
    // The veil stays at the bottom until the button is disabled.
    setButtonEnabled(isEnabled());
}

NUVCustomButton::Faces NUVCustomButton::makeFaceLayers(QWidget *owner, bool withOffFaces)
{
    Faces f;
    const QRect whole(0, 0, 46, 47);
    const QRect strip(0, 1, 46, 46);
    const QRect face(0, 0, 46, 46);
    f.onWrapper = makeLayer(owner, "onWrapper", whole, transparentSheet(), false);
    f.shadowOn = makeLayer(f.onWrapper, "shadowOn", strip, whiteStripSheet(), true);
    f.backgroundOn =
        makeLayer(f.onWrapper, "backgroundOn", face, lightFaceSheet(plainBorderColour()), true);
    if (withOffFaces) {
        f.offWrapper = makeLayer(owner, "offWrapper", whole, transparentSheet(), false);
        f.shadowOff = makeLayer(f.offWrapper, "shadowOff", strip, whiteStripSheet(), true);
        f.backgroundOff = makeLayer(f.offWrapper, "backgroundOff", face,
                                    darkFaceSheet(plainBorderColour()), true);
        f.shadowOff2 = makeLayer(
            f.offWrapper, "shadowOff_2", QRect(0, 0, 46, 5),
            QStringLiteral("background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
                           "stop:0 rgba(0, 0, 0, 127), stop:1 rgba(0, 0, 0, 0));"
                           "border-top-left-radius: 4px;border-top-right-radius: 4px;"),
            true);
    }
    f.labelWrapper = makeLayer(owner, "labelWrapper", face, QString(), false);
    f.labelWrapper->setMinimumSize(46, 46);
    QSizePolicy policy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    policy.setHorizontalStretch(1);
    policy.setVerticalStretch(1);
    f.labelWrapper->setSizePolicy(policy);
    return f;
}

QLabel *NUVCustomButton::buildCentredLabel()
{
    return makeCentredLabel(m_faces.labelWrapper);
}

QLabel *NUVCustomButton::makeCentredLabel(QWidget *labelWrapper)
{
    auto *layout = new QGridLayout(labelWrapper);
    layout->setObjectName(QStringLiteral("gridLayout"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    auto *label = new QLabel(labelWrapper);
    label->setObjectName(QStringLiteral("label"));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("font: 10px;\ncolor: rgba(255, 255, 255, 255);"));
    label->setText(QStringLiteral("12"));
    layout->addWidget(label, 0, 0);
    return label;
}

void NUVCustomButton::showCheckedFaces(bool checked)
{
    showFacesChecked(m_faces, checked);
}

void NUVCustomButton::showFacesChecked(const Faces &f, bool checked)
{
    if (!f.offWrapper)
        return;
    f.shadowOn->setVisible(!checked);
    f.backgroundOn->setVisible(!checked);
    f.shadowOff->setVisible(checked);
    f.backgroundOff->setVisible(checked);
    f.shadowOff2->setVisible(checked);
}

void NUVCustomButton::setFaceBorders(const QString &colour, bool restyle)
{
    setBordersOfFaces(m_faces, colour, restyle);
}

void NUVCustomButton::setBordersOfFaces(const Faces &faces, const QString &colour, bool restyle)
{
    if (QWidget *off = faces.backgroundOff) {
        if (restyle)
            off->setStyleSheet(QString());
        off->setStyleSheet(darkFaceSheet(colour));
    }
    if (QWidget *on = faces.backgroundOn) {
        if (restyle)
            on->setStyleSheet(QString());
        on->setStyleSheet(lightFaceSheet(colour));
    }
}
