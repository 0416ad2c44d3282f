#include "QTSplashScreen.h"

#include <KivConstants.h>
#include <KivResources.h>
#include <TextRoom.h>

#include <QLabel>

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, int pointSize,
                  const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(pointSize);
    label->setFont(font);
    // The picture is dark: light text, and no background of its own.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

} // namespace

QTSplashScreen::QTSplashScreen(QWidget *parent)
    : ASplashScreen(parent), m_form(std::make_unique<Form>())
{
    initKivResources();
    setupForm();
    setPixmap(QPixmap(QStringLiteral(":/gui/menubar/kiv_splashscreen.png")));
    setLetterSpacing(m_form->copyrightLabel, 2.5);
    setLetterSpacing(m_form->versionNumberLabel, 2.5);
    m_form->copyrightLabel->setText(tr("Copyright (c) NUV. All rights reserved."));
    m_form->versionNumberLabel->setText(KivConstants::versionText());
    m_form->vfullVersionString->setText(KivConstants::buildString());
    fitToText();
}

void QTSplashScreen::fitToText()
{
    // The picture keeps its size; where the desktop's text is larger, each line grows
    // about its middle to its font's height, and the version number moves right as far as
    // the "v" before it grew.
    Form &f = *m_form;
    for (QLabel *label : {f.vLabel, f.versionNumberLabel, f.copyrightLabel, f.vfullVersionString}) {
        const int taller = TextRoom::grownBy(label, label->fontMetrics().height());
        if (taller > 0) {
            label->setFixedHeight(label->height() + taller);
            label->move(label->x(), label->y() - taller / 2);
        }
    }
    const int wider =
        TextRoom::grownBy(f.vLabel, f.vLabel->fontMetrics().horizontalAdvance(f.vLabel->text()));
    if (wider > 0) {
        f.vLabel->resize(f.vLabel->width() + wider, f.vLabel->height());
        f.versionNumberLabel->setGeometry(
            f.versionNumberLabel->geometry().adjusted(wider, 0, 0, 0));
    }
}

QTSplashScreen::~QTSplashScreen() = default;

void QTSplashScreen::setupForm()
{
    setObjectName(QStringLiteral("QTSplashScreen"));
    setWindowTitle(QStringLiteral("Form"));
    setFixedSize(640, 480);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_form->vLabel = makeLabel(this, "vLabel", QRect(48, 258, 16, 34), 21, QStringLiteral("v"));
    m_form->vLabel->setFixedHeight(34);
    m_form->vLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    m_form->versionNumberLabel =
        makeLabel(this, "versionNumberLabel", QRect(70, 258, 571, 34), 19, QStringLiteral("0.0"));
    m_form->versionNumberLabel->setFixedHeight(34);
    m_form->versionNumberLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont versionFont = m_form->versionNumberLabel->font();
    versionFont.setWeight(QFont::Normal);
    m_form->versionNumberLabel->setFont(versionFont);
    m_form->versionNumberLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_form->copyrightLabel =
        makeLabel(this, "copyrightLabel", QRect(48, 418, 591, 16), 10, QStringLiteral("Copyright"));
    m_form->vfullVersionString = makeLabel(this, "vfullVersionString", QRect(48, 450, 591, 16), 8,
                                           QStringLiteral("Version"));
}

int QTSplashScreen::setLetterSpacing(QWidget *widget, double spacing)
{
    if (!widget)
        return -1;
    QFont font = widget->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    widget->setFont(font);
    return 0;
}
