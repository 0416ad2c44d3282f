#include "ProgramWidget.h"

#include "FormHelpers.h"

#include <KivUtils.h>

#include <QGridLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QSpacerItem>

#include <algorithm>

namespace {

enum Kind { KindProgram = 0, KindFiller = 1, KindMerged = 2 };

const char *const kToolTipSheet =
    "QToolTip { background-color: rgba(0,0,0,80); border-radius: 2px; color: #898989; "
    "font-size: 11px; text-wrap: normal; border: none; margin: 0 0 0 0; padding: 0 0 0 0; }";

QLabel *makeLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    QFont font;
    font.setFamily(QStringLiteral("Verdana"));
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);\ncolor: white;"));
    return label;
}

} // namespace

struct ProgramWidget::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *widget = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    QSpacerItem *leftSpacer = nullptr;
    QLabel *fromTimestampLabel = nullptr;
    QLabel *programNameLabel = nullptr;
    QLabel *toTimestampLabel = nullptr;
    QSpacerItem *rightSpacer = nullptr;
};

ProgramWidget::ProgramWidget(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

ProgramWidget::~ProgramWidget() = default;

void ProgramWidget::setupForm()
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("ProgramWidget"));
    resize(53, 56);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumSize(0, 56);
    setMaximumSize(16777215, 56);
    setStyleSheet(QStringLiteral(
        "QToolTip\n{\nbackground-color: rgba(0,0,0,80);\nborder-radius: 2px;\ncolor: #898989;\n"
        "font-size: 11px;\ntext-wrap: normal;\nborder: none;\nmargin: 0 0 0 0;\npadding: 0 0 0 "
        "0;\n}"));
    f.gridLayout = makeFormGrid(this, "gridLayout");
    f.widget = new QWidget(this);
    f.widget->setObjectName(QStringLiteral("widget"));
    f.widget->setStyleSheet(QStringLiteral(
        "#widget\n{\nborder-right: 1px solid rgba(140, 140, 140, 160);\nborder-left: 1px solid "
        "rgba(100, 100, 100, 160);\nborder-top: none;\nborder-bottom: none;\n}"));
    f.gridLayout->addWidget(f.widget, 0, 0);

    f.gridLayout_2 = new QGridLayout(f.widget);
    f.gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    f.gridLayout_2->setContentsMargins(0, 0, 0, 0);
    f.gridLayout_2->setSizeConstraint(QLayout::SetNoConstraint);
    f.leftSpacer = new QSpacerItem(4, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.gridLayout_2->addItem(f.leftSpacer, 0, 0);
    f.fromTimestampLabel = makeLabel(f.widget, "fromTimestampLabel");
    f.gridLayout_2->addWidget(f.fromTimestampLabel, 0, 1);
    f.programNameLabel = makeLabel(f.widget, "programNameLabel");
    QFont nameFont = f.programNameLabel->font();
    nameFont.setPointSize(12);
    nameFont.setWeight(75);
    f.programNameLabel->setFont(nameFont);
    f.gridLayout_2->addWidget(f.programNameLabel, 0, 2);
    f.toTimestampLabel = makeLabel(f.widget, "toTimestampLabel");
    f.gridLayout_2->addWidget(f.toTimestampLabel, 0, 3);
    f.rightSpacer = new QSpacerItem(4, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.gridLayout_2->addItem(f.rightSpacer, 0, 4);

    setWindowTitle(tr("Form"));
    f.fromTimestampLabel->setText(QString());
}

QLabel *ProgramWidget::fromTimestampLabel() const
{
    return m_form->fromTimestampLabel;
}

QLabel *ProgramWidget::programNameLabel() const
{
    return m_form->programNameLabel;
}

QLabel *ProgramWidget::toTimestampLabel() const
{
    return m_form->toTimestampLabel;
}

void ProgramWidget::setEpgProgram(EpgProgram program)
{
    Form &f = *m_form;
    m_program = program;
    show();
    const QString toolTipSheet = QLatin1String(kToolTipSheet);
    // The bar is refreshed every 50 ms; an unchanged sheet must not restyle the button.
    auto setStyleSheet = [this](const QString &sheet) {
        if (styleSheet() != sheet)
            QWidget::setStyleSheet(sheet);
    };
    switch (m_program.getKind()) {
    case KindProgram: {
        QString date, startText, endText;
        msToDateTimeStrings(m_program.getStart(), date, startText);
        msToDateTimeStrings(m_program.getEnd(), date, endText);
        const QString idText = QString::number(m_program.getProgramId());
        f.fromTimestampLabel->setText(startText);
        f.toTimestampLabel->setText(endText);
        f.programNameLabel->setText(idText);
        f.programNameLabel->setVisible(true);
        fitLabels();
        setStyleSheet(colourStyleForStart(m_program.getStart()) + toolTipSheet);
        setToolTip(QStringLiteral("Program %1 from %2 to %3").arg(idText, startText, endText));
        break;
    }
    case KindMerged:
        f.fromTimestampLabel->setVisible(false);
        f.toTimestampLabel->setVisible(false);
        f.programNameLabel->setText(QStringLiteral("..."));
        f.programNameLabel->setVisible(true);
        fitNameLabel();
        setStyleSheet(QStringLiteral("QWidget{ background-color: rgba(127,127,127,100)}") +
                      toolTipSheet);
        setToolTip(QStringLiteral("Program batch too small to display"));
        break;
    default:
        f.fromTimestampLabel->setVisible(false);
        f.programNameLabel->setVisible(false);
        f.toTimestampLabel->setVisible(false);
        setStyleSheet(QStringLiteral("QWidget{ background-color: rgba(0,0,0,0)}") + toolTipSheet);
        setToolTip(QString());
        break;
    }
    if (m_hideProgramId)
        f.programNameLabel->setVisible(false);
}

void ProgramWidget::setHideProgramId(bool hide)
{
    m_hideProgramId = hide;
    if (hide)
        m_form->programNameLabel->setVisible(false);
}

QSize ProgramWidget::sizeHint() const
{
    return QSize(minimumWidth(), QWidget::sizeHint().height());
}

void ProgramWidget::setProgramSize(const QSize &size)
{
    setMinimumWidth(size.width());
    setMaximumWidth(16777215);
    setMinimumHeight(size.height());
    setMaximumHeight(size.height());
}

int ProgramWidget::textWidth(const QLabel *label) const
{
    // What the layout must give the label to show its text whole.
    return std::max(label->fontMetrics().horizontalAdvance(label->text()),
                    label->minimumSizeHint().width());
}

int ProgramWidget::spacersWidth() const
{
    // Measured by what the layout adds around the labels: the two spacers, the frame and
    // the spacing beside the id, so that a label that is shown is never cut. The spacers'
    // own geometry is empty before the first layout.
    const Form &f = *m_form;
    const QMargins frame = f.widget->contentsMargins() + f.gridLayout->contentsMargins() +
                           f.gridLayout_2->contentsMargins();
    return f.leftSpacer->sizeHint().width() + f.rightSpacer->sizeHint().width() +
           2 * std::max(0, f.gridLayout_2->horizontalSpacing()) + frame.left() + frame.right();
}

int ProgramWidget::timesWidth() const
{
    const Form &f = *m_form;
    return textWidth(f.fromTimestampLabel) + textWidth(f.toTimestampLabel) +
           2 * std::max(0, f.gridLayout_2->horizontalSpacing());
}

void ProgramWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The bar sizes its buttons after giving them their entries: the labels are fitted
    // again to the width the button has now.
    if (m_program.getKind() == KindProgram)
        fitLabels();
    else if (m_program.getKind() == KindMerged)
        fitNameLabel();
}

void ProgramWidget::fitLabels()
{
    Form &f = *m_form;
    const int wName = textWidth(f.programNameLabel);
    const int spacers = spacersWidth();
    const int w = width();
    if (wName + spacers > w) {
        f.fromTimestampLabel->setVisible(false);
        f.programNameLabel->setVisible(false);
        f.toTimestampLabel->setVisible(false);
    } else if (wName + spacers + timesWidth() > w) {
        f.fromTimestampLabel->setVisible(false);
        f.toTimestampLabel->setVisible(false);
        f.programNameLabel->setVisible(!m_hideProgramId);
    } else {
        f.fromTimestampLabel->setVisible(true);
        f.toTimestampLabel->setVisible(true);
        f.programNameLabel->setVisible(!m_hideProgramId);
    }
}

void ProgramWidget::fitNameLabel()
{
    Form &f = *m_form;
    f.fromTimestampLabel->setVisible(false);
    f.toTimestampLabel->setVisible(false);
    const bool fits = textWidth(f.programNameLabel) + spacersWidth() <= width();
    f.programNameLabel->setVisible(fits && !m_hideProgramId);
}

QString ProgramWidget::colourStyleForStart(qint64 startMs)
{
    int rgb[3] = {int(startMs & 255), int((startMs >> 8) & 255), int((startMs >> 16) & 255)};
    // Only the first channel below 70 is raised and only the first above 180 lowered.
    for (int &channel : rgb) {
        if (channel < 70) {
            channel = 70;
            break;
        }
    }
    for (int &channel : rgb) {
        if (channel > 180) {
            channel = 180;
            break;
        }
    }
    return QStringLiteral("QWidget {background-color:rgb(%1,%2,%3); }")
        .arg(rgb[0])
        .arg(rgb[1])
        .arg(rgb[2]);
}

void ProgramWidget::mousePressEvent(QMouseEvent *)
{
    if (m_program.getProgramId() != -1)
        emit epgButtonClicked(m_program);
}

void ProgramWidget::mouseDoubleClickEvent(QMouseEvent *)
{
    if (m_program.getProgramId() != -1)
        emit epgButtonDoubleClicked(m_program);
}
