#include "NUVMarker.h"

#include "FormHelpers.h"
#include "NUVMarkerButton.h"

#include <KivUtils.h>

#include <QGridLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

const char *const kMarkerAPicture = ":/markers/agview/markers/markerA.png";
const char *const kMarkerBPicture = ":/markers/agview/markers/markerB.png";
// The off picture is the on picture at half opacity.
constexpr int kOffAlpha = 127;

} // namespace

struct NUVMarker::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *indicatorWrapper = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QWidget *activeIndicatorWidget = nullptr;
    QGridLayout *gridLayout2 = nullptr;
    NUVMarkerButton *markerButton = nullptr;
};

NUVMarker::NUVMarker(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    connect(m_form->markerButton, &NUVMarkerButton::markerOnOffClick, this,
            &NUVMarker::onMarkerOnOffClick);
    connect(m_form->markerButton, &NUVMarkerButton::mouseMove, this, &NUVMarker::onMouseMoveEvent);
    m_form->activeIndicatorWidget->setStyleSheet(
        QStringLiteral("background-color: rgba(117, 117, 117, 255);"));
    m_form->activeIndicatorWidget->hide();
}

NUVMarker::~NUVMarker() = default;

void NUVMarker::setupForm()
{
    setWindowTitle(QStringLiteral("Form"));
    resize(40, 328);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    policy.setVerticalStretch(1);
    setSizePolicy(policy);
    setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setContentsMargins(0, 0, 0, 0);

    f.indicatorWrapper = new QWidget(this);
    f.indicatorWrapper->setObjectName(QStringLiteral("indicatorWrapper"));
    f.indicatorWrapper->setSizePolicy(minimumExpanding(1));
    f.indicatorWrapper->setStyleSheet(QStringLiteral("background-color: rgba(255,255,255,0);"));
    f.verticalLayout = new QVBoxLayout(f.indicatorWrapper);
    f.verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    f.verticalLayout->setSpacing(0);
    f.verticalLayout->setSizeConstraint(QLayout::SetNoConstraint);
    f.verticalLayout->setContentsMargins(17, 0, 0, 0);
    f.activeIndicatorWidget = new QWidget(f.indicatorWrapper);
    f.activeIndicatorWidget->setObjectName(QStringLiteral("activeIndicatorWidget"));
    // The line runs from the top down behind the flag, not only over half the marker.
    QSizePolicy linePolicy(QSizePolicy::Fixed, QSizePolicy::MinimumExpanding);
    linePolicy.setVerticalStretch(1);
    f.activeIndicatorWidget->setSizePolicy(linePolicy);
    f.activeIndicatorWidget->setMaximumWidth(1);
    f.verticalLayout->addWidget(f.activeIndicatorWidget);
    f.verticalLayout->addItem(new QSpacerItem(1, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));
    f.gridLayout->addWidget(f.indicatorWrapper, 0, 0);

    f.gridLayout2 = new QGridLayout();
    f.gridLayout2->setObjectName(QStringLiteral("gridLayout2"));
    f.gridLayout2->setSpacing(0);
    f.gridLayout2->setContentsMargins(0, 0, 0, 0);
    f.gridLayout2->addItem(new QSpacerItem(1, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), 0,
                           0);
    f.markerButton = new NUVMarkerButton(this);
    f.markerButton->setObjectName(QStringLiteral("markerButton"));
    f.markerButton->setEnabled(true);
    f.markerButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    f.markerButton->setMinimumSize(36, 48);
    f.markerButton->setText(QString());
    // Only the flag picture shows, without a push-button frame around it.
    f.markerButton->setStyleSheet(QStringLiteral("border: none;"));
    f.gridLayout2->addWidget(f.markerButton, 1, 0);
    f.gridLayout->addLayout(f.gridLayout2, 0, 0);
}

NUVMarkerButton *NUVMarker::button() const
{
    return m_form->markerButton;
}

QWidget *NUVMarker::line() const
{
    return m_form->activeIndicatorWidget;
}

void NUVMarker::setMarkerType(int type)
{
    m_type = type;
    const char *path = type == 0 ? kMarkerAPicture : type == 1 ? kMarkerBPicture : nullptr;
    if (!path)
        return;
    const QPixmap picture(QString::fromLatin1(path));
    m_form->markerButton->setPixmaps(picture, setPixmapAlpha(picture, kOffAlpha), m_state);
}

void NUVMarker::setState(bool state)
{
    m_state = state;
    showState();
}

void NUVMarker::showState()
{
    m_form->markerButton->setState(m_state);
    m_form->activeIndicatorWidget->setVisible(m_state);
}

int NUVMarker::getCenterX() const
{
    return x() + static_cast<int>(width() * 0.5);
}

void NUVMarker::setCenterX(int x)
{
    move(x - static_cast<int>(width() * 0.5), 0);
}

void NUVMarker::setLimits(const QPoint &minimum, const QPoint &maximum)
{
    const int half = static_cast<int>(width() * 0.5);
    m_minimum = QPoint(minimum.x() - half, minimum.y());
    m_maximum = QPoint(maximum.x() - half, maximum.y());
}

void NUVMarker::mousePressEvent(QMouseEvent *) {}

void NUVMarker::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_state)
        return;
    raise();
    const int wanted = mapToParent(event->pos()).x() - width() / 2;
    int left = wanted;
    if (left > m_maximum.x())
        left = m_maximum.x();
    // When the limits cross, the minimum wins.
    if (wanted < m_minimum.x())
        left = m_minimum.x();
    if (!(event->buttons() & Qt::LeftButton))
        return;
    move(left, 0);
    m_dragged = true;
    emit markerPositionChanged();
}

void NUVMarker::mouseReleaseEvent(QMouseEvent *)
{
    m_dragged = false;
    emit markerPositionCommited();
}

void NUVMarker::onMarkerOnOffClick()
{
    if (m_dragged) {
        // The release that ends a drag on the flag is no click.
        m_dragged = false;
        m_state = true;
        return;
    }
    m_state = !m_state;
    showState();
    emit markerStateChanged(m_state);
}

void NUVMarker::onMouseMoveEvent(QMouseEvent *event)
{
    mouseMoveEvent(event);
}
