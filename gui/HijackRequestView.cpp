#include "HijackRequestView.h"

#include "DialogStyles.h"
#include "GUIFactory.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace {

QFont buttonFont()
{
    QFont font(QStringLiteral("Verdana"), 18);
    font.setWeight(75);
    return font;
}

} // namespace

HijackRequestView::HijackRequestView(ViewType type, QWidget *parent)
    : AHijackRequestView(type, parent)
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    setOpensOverOwner();
    connect(m_okButton, &QPushButton::clicked, this, &HijackRequestView::onOkButtonClick,
            Qt::DirectConnection);
    connect(m_cancelButton, &QPushButton::clicked, this, &HijackRequestView::onCancelButtonClick,
            Qt::DirectConnection);
}

HijackRequestView::~HijackRequestView() = default;

void HijackRequestView::setupForm()
{
    setObjectName(QStringLiteral("HijackRequestView"));
    setWindowModality(Qt::ApplicationModal);
    resize(426, 170);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    setMinimumSize(426, 150);
    setWindowTitle(QStringLiteral("Form"));

    // The background first: siblings made later are drawn over it.
    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("background"));
    m_background->setGeometry(0, 0, 426, 170);
    m_background->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    m_background->setMinimumSize(426, 150);
    m_background->setMaximumSize(508, 380);
    m_background->setStyleSheet(DialogStyles::darkDialogBackgroundSheet());

    m_confirmationMessage = new QLabel(this);
    m_confirmationMessage->setObjectName(QStringLiteral("confirmationMessage"));
    m_confirmationMessage->setGeometry(42, 14, 340, 74);
    m_confirmationMessage->setMinimumSize(340, 74);
    m_confirmationMessage->setMaximumSize(340, 54);
    m_confirmationMessage->setFont(QFont(QStringLiteral("Verdana"), 11));
    m_confirmationMessage->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0)"));
    m_confirmationMessage->setAlignment(Qt::AlignCenter);
    m_confirmationMessage->setWordWrap(true);

    m_okButton = new QPushButton(this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setText(tr("Allow"));
    m_okButton->setEnabled(true);
    m_okButton->setGeometry(40, 114, 150, 45);
    m_okButton->setMinimumSize(150, 45);
    m_okButton->setMaximumSize(197, 45);
    m_okButton->setFont(buttonFont());
    m_okButton->setStyleSheet(DialogStyles::plainPushButtonSheet());

    m_cancelButton = new QPushButton(this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setText(tr("Deny"));
    m_cancelButton->setEnabled(true);
    m_cancelButton->setGeometry(240, 114, 150, 45);
    m_cancelButton->setMinimumSize(0, 45);
    m_cancelButton->setMaximumSize(197, 45);
    m_cancelButton->setFont(buttonFont());
    m_cancelButton->setStyleSheet(DialogStyles::plainPushButtonSheet());
}

QString HijackRequestView::messageText(const QString &instrumentName)
{
    // arg() does not look into the name again: "%" signs in it stay as they are.
    return tr("Instrument %1 needs to perform a hijack in order to continue acquisition.\n"
              "Changed settings could lead to wrong renderings of old data.")
        .arg(instrumentName);
}

void HijackRequestView::onShowDialog(const HijackPermissionRequest &request)
{
    // The pending request comes again every cycle. Raising the window each time would put
    // it over a box opened later (an alert), which it cannot take input past: the user
    // would face buttons that do nothing and never see the box.
    if (isVisible() && request.getId() == m_request.getId())
        return;
    m_request = request;
    m_confirmationMessage->setText(messageText(request.getInstrumentName()));
    onShow();
}

void HijackRequestView::onOkButtonClick()
{
    emit okButtonClick(m_request.getInstrumentName(), m_request.getId());
}

void HijackRequestView::onCancelButtonClick()
{
    emit cancelButtonClick(m_request.getInstrumentName(), m_request.getId());
}

void HijackRequestView::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeHijackRequest,
        [](ViewType type) -> AView * { return new HijackRequestView(type, nullptr); });
}
