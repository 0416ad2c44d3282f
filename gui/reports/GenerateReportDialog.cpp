#include "GenerateReportDialog.h"

#include <DialogStyles.h>
#include <GUIFactory.h>

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <limits>

GenerateReportDialog::GenerateReportDialog(ViewType type, QWidget *parent)
    : AGenerateReportView(type, parent)
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    setOpensOverOwner();
    connect(m_alertDismissButton, &QPushButton::clicked, this,
            &GenerateReportDialog::CancelButtonClick);
}

GenerateReportDialog::~GenerateReportDialog() = default;

void GenerateReportDialog::setupForm()
{
    setObjectName(QStringLiteral("GenerateReportDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowModality(Qt::ApplicationModal);
    setStyleSheet(DialogStyles::greyGradientSheet());

    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setSpacing(0);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);

    m_componentsWrapper = new QFrame(this);
    m_componentsWrapper->setObjectName(QStringLiteral("componentsWrapper"));
    m_gridLayout2 = new QGridLayout(m_componentsWrapper);
    m_gridLayout2->setObjectName(QStringLiteral("gridLayout_2"));
    m_gridLayout2->setContentsMargins(20, 20, 20, 10);
    m_gridLayout2->setVerticalSpacing(10);

    m_alertTextLabel = new QLabel(m_componentsWrapper);
    m_alertTextLabel->setObjectName(QStringLiteral("alertTextLabel"));
    m_alertTextLabel->setFont(QFont(QStringLiteral("Verdana"), 11));
    m_alertTextLabel->setWordWrap(true);
    m_alertTextLabel->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0)"));
    m_gridLayout2->addWidget(m_alertTextLabel, 0, 0, 1, 1);

    m_progressBarContinous = new QProgressBar(m_componentsWrapper);
    m_progressBarContinous->setObjectName(QStringLiteral("progressBarContinous"));
    m_progressBarContinous->setMinimumWidth(200);
    m_progressBarContinous->setMaximum(0);
    m_progressBarContinous->setValue(-1);
    m_progressBarContinous->setStyleSheet(DialogStyles::busyProgressBarSheet());
    m_gridLayout2->addWidget(m_progressBarContinous, 1, 0, 1, 1);

    m_progressBar = new QProgressBar(m_componentsWrapper);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setMinimumWidth(200);
    m_progressBar->setMaximum(100);
    m_progressBar->setValue(10);
    m_progressBar->setStyleSheet(DialogStyles::progressBarSheet());
    m_gridLayout2->addWidget(m_progressBar, 2, 0, 1, 1);

    m_alertDismissButton = new QPushButton(m_componentsWrapper);
    m_alertDismissButton->setObjectName(QStringLiteral("alertDismissButton"));
    m_alertDismissButton->setText(tr("Cancel"));
    QFont buttonFont(QStringLiteral("Verdana"), 13);
    buttonFont.setBold(true);
    m_alertDismissButton->setFont(buttonFont);
    m_alertDismissButton->setMinimumSize(99, 36);
    m_alertDismissButton->setStyleSheet(DialogStyles::pushButtonSheet());
    m_gridLayout2->addWidget(m_alertDismissButton, 3, 0, 1, 1, Qt::AlignHCenter);

    m_gridLayout->addWidget(m_componentsWrapper, 0, 0, 1, 1);
    // Room for the longest message on two lines.
    resize(426, 170);
}

GenerateReportDialog::ScaledProgress GenerateReportDialog::scaledProgress(qint64 value,
                                                                          qint64 total)
{
    constexpr quint64 kMax = std::numeric_limits<int>::max();
    auto magnitude = [](qint64 v) { return v < 0 ? 0 - static_cast<quint64>(v) : quint64(v); };
    const quint64 largest = std::max(magnitude(value), magnitude(total));
    // The same divisor for both keeps the bar's proportion.
    const qint64 divisor = largest > kMax ? static_cast<qint64>(largest / kMax + 1) : 1;
    return {static_cast<int>(value / divisor), static_cast<int>(total / divisor)};
}

void GenerateReportDialog::onUpdateUi(const QString &text, bool cancelVisible, qlonglong value,
                                      qlonglong total)
{
    m_alertTextLabel->setText(text);
    m_alertDismissButton->setVisible(cancelVisible);
    m_progressBarContinous->hide();
    const ScaledProgress scaled = scaledProgress(value, total);
    m_progressBar->setRange(0, scaled.total);
    m_progressBar->setValue(scaled.value);
    m_progressBar->show();
}

void GenerateReportDialog::onUpdateUi(const QString &text, bool cancelVisible)
{
    m_alertTextLabel->setText(text);
    m_alertDismissButton->setVisible(cancelVisible);
    m_progressBarContinous->show();
    m_progressBar->hide();
}

void GenerateReportDialog::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeGenerateReport,
        [](ViewType type) -> AView * { return new GenerateReportDialog(type, nullptr); });
}
