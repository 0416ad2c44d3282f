// The plot page's value panels: the numeric values with the histogram and the calculation's
// progress, the marker controls, and the marker panel's dates.
#include "QTAgView.h"

#include "AgViewForm.h"
#include "NUVCustomPlot.h"
#include "NUVHistogramPlot.h"

#include <DoubleTextCheckboxButton.h>
#include <KivUtils.h>

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>

#include <limits>

namespace {

const char *const kValueTemplateWhite =
    "<html><head></head><body><bold><font color='#FFFFFF'>%1</font></bold>&nbsp;</body></html>";
const char *const kUnitTemplate =
    "<html><head></head><body><font color='white'>%1</font></body></html>";
const char *const kNoValue =
    "<html><head></head><body><bold><font color='#FFFFFF'>----</font></bold></body></html>";
constexpr double kNoValueNumber = -999.0;
// Calculations with this little left to do are taken as done.
constexpr qint64 kProgressHiddenBelowMs = 8000;
constexpr int kMinMarkerSpanMs = 3000;

// Every update sets the sheet; Qt would parse it and restyle the panel each time.
void setSheet(QWidget *widget, const char *sheet)
{
    const QString text = QLatin1String(sheet);
    if (widget->styleSheet() != text)
        widget->setStyleSheet(text);
}

// Equal figures, NaN included: a missing figure shows the same text each time.
bool sameValue(double a, double b)
{
    return a == b || (a != a && b != b);
}

QString dateTimeText(qint64 ms, const QString &format)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(format);
}

} // namespace

QString QTAgView::unitText(const QString &loudnessUnit)
{
    return (loudnessUnit == QLatin1String("LU") || loudnessUnit == QLatin1String("LUFS"))
               ? QStringLiteral("LUFS")
               : QStringLiteral("LKFS");
}

QString QTAgView::formatValue(double value)
{
    return QString::number(qRound(value * 10) / 10.0, 'f', 1);
}

bool QTAgView::PanelTextInputs::operator==(const PanelTextInputs &other) const
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (!sameValue(values[i], other.values[i]))
            return false;
    }
    return unit == other.unit && times == other.times;
}

bool QTAgView::MarkerDateInputs::operator==(const MarkerDateInputs &other) const
{
    return start == other.start && end == other.end && incomplete == other.incomplete;
}

void QTAgView::updateNumericValues(const AgConfig &agConfig, const ProgramCalculationData &data,
                                   const Program &program)
{
    AgViewForm &f = *m_form;
    m_currentProgram = program;
    m_currentCalculation = data;

    const PanelTextInputs inputs{
        {data.getIntegrated(), data.getTruePeakMax(), data.getMomentaryMax(),
         data.getShortTermMax()},
        agConfig.getLoudnessUnit(),
        {data.getStartTimecode(), data.getEndTimecode(), data.getStartTime(), data.getEndTime()}};
    if (!m_panelTexts || !(*m_panelTexts == inputs)) {
        m_panelTexts = inputs;
        showNumericTexts(agConfig, data);
    }

    f.histogramPlot->onUpdateHistogram(data.getHistogramCounts(), data.getHistogramMin(),
                                       data.getHistogramMax(), data.getHistogramStep(), -23.0);

    const qint64 start = data.getStartTime();
    const qint64 end = data.getEndTime();
    if (start == -1 || end == -1 || start >= end) {
        f.loadingText->show();
        f.progressBar->show();
        f.progressBar->setValue(0);
        return;
    }
    qint64 span = end - start;
    qint64 done = data.getProcessedUntil() - start;
    if (span - done <= kProgressHiddenBelowMs) {
        f.loadingText->hide();
        f.progressBar->hide();
        return;
    }
    // The bar counts in int: a program longer than about 24 days is shown in coarser units.
    while (span > std::numeric_limits<int>::max()) {
        span /= 1000;
        done /= 1000;
    }
    f.loadingText->show();
    f.progressBar->show();
    f.progressBar->setRange(0, int(span));
    f.progressBar->setValue(int(qBound<qint64>(0, done, span)));
}

void QTAgView::showNumericTexts(const AgConfig &agConfig, const ProgramCalculationData &data)
{
    AgViewForm &f = *m_form;
    f.iLabel->setText(QStringLiteral("<html><head></head><body><bold>I</bold>:</body></html>"));
    f.TPLabel->setText(
        QStringLiteral("<html><head></head><body><bold>TP</bold>max:</body></html>"));
    f.MLabel->setText(QStringLiteral("<html><head></head><body><bold>M</bold>max:</body></html>"));
    f.SLabel->setText(QStringLiteral("<html><head></head><body><bold>S</bold>max:</body></html>"));
    f.startLabel->setText(
        QStringLiteral("<html><head></head><body><bold>Start</bold>:</body></html>"));
    f.endLabel->setText(QStringLiteral("<html><head></head><body><bold>End</bold>:</body></html>"));

    QLabel *const values[] = {f.iValue, f.TPValue, f.MValue, f.SValue, f.startValue, f.endValue};
    QLabel *const units[] = {f.iUnit, f.TPUnit, f.MUnit, f.SUnit, f.startUnit, f.endUnit};
    if (data.getIntegrated() == kNoValueNumber && data.getTruePeakMax() == kNoValueNumber &&
        data.getMomentaryMax() == kNoValueNumber && data.getShortTermMax() == kNoValueNumber) {
        for (QLabel *label : values)
            label->setText(QLatin1String(kNoValue));
        for (QLabel *label : units)
            label->clear();
    } else {
        auto valueText = [](const char *colour, double value) {
            return QStringLiteral("<html><head></head><body><bold><font color='%1'>%2</font>"
                                  "</bold>&nbsp;</body></html>")
                .arg(QLatin1String(colour), formatValue(value));
        };
        f.iValue->setText(valueText("#00FF00", data.getIntegrated()));
        f.TPValue->setText(valueText("#FEFF01", data.getTruePeakMax()));
        f.MValue->setText(valueText("#01FFFF", data.getMomentaryMax()));
        f.SValue->setText(valueText("#FF00FE", data.getShortTermMax()));
        const QString unit = QLatin1String(kUnitTemplate);
        f.iUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.MUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.SUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.TPUnit->setText(unit.arg(QStringLiteral("dBTP")));

        const QString value = QLatin1String(kValueTemplateWhite);
        QString start, end, clock;
        if (data.getStartTimecode() != 0 && data.getEndTimecode() != 0) {
            start = formatTimecode(data.getStartTimecode());
            end = formatTimecode(data.getEndTimecode());
            clock = QStringLiteral("TC");
        } else {
            start = dateTimeText(data.getStartTime(), QStringLiteral("hh:mm:ss"));
            end = dateTimeText(data.getEndTime(), QStringLiteral("hh:mm:ss"));
            clock = QStringLiteral("WC");
        }
        f.startValue->setText(value.arg(start));
        f.endValue->setText(value.arg(end));
        f.startUnit->setText(unit.arg(clock));
        f.endUnit->setText(unit.arg(clock));
    }
}

void QTAgView::updateMarkers(qint64 oldestTime, qint64 newestTime, bool markersMode, qint64 markerA,
                             qint64 markerB, bool markersBothOn)
{
    AgViewForm &f = *m_form;
    auto hidePanel = [&f] {
        f.customPlot->hideMarkers();
        f.markerButtons->hide();
        f.markersInfoBackground->hide();
        setSheet(f.numericViewWrapper, AgViewForm::kNumericPlain);
    };
    if (oldestTime == -1 || newestTime == -1 || newestTime - oldestTime < kMinMarkerSpanMs) {
        f.markerToggle->setButtonEnabled(false);
        f.markerToggle->setChecked(false);
        hidePanel();
        return;
    }
    f.markerToggle->setButtonEnabled(true);
    if (!markersMode) {
        f.markerToggle->setChecked(false);
        hidePanel();
        return;
    }
    f.markerToggle->setChecked(true);
    f.customPlot->setMarkerTimes(oldestTime, newestTime, markerA, markerB);
    f.customPlot->showMarkers();
    if (markersBothOn) {
        f.markerButtons->show();
        f.markersInfoBackground->show();
        setSheet(f.numericViewWrapper, AgViewForm::kNumericMarked);
    } else {
        f.markerButtons->hide();
        f.markersInfoBackground->hide();
        setSheet(f.numericViewWrapper, AgViewForm::kNumericPlain);
    }
}

void QTAgView::updateMarkerDates(qint64 oldestTime, qint64 newestTime,
                                 const ProgramCalculationData &data, const Program &program)
{
    AgViewForm &f = *m_form;
    if (data.getStartTime() == -1 || data.getEndTime() == -1 || oldestTime <= 0 ||
        newestTime <= 0) {
        f.markersValues->hide();
        return;
    }
    const bool incomplete =
        (program.getType() == 0 || program.getType() == 1) && program.getStartWord() == 0;
    f.markersValues->show();
    const MarkerDateInputs inputs{data.getStartTime(), data.getEndTime(), incomplete};
    if (m_markerDates && *m_markerDates == inputs)
        return;
    m_markerDates = inputs;
    const QString templ = incomplete ? QStringLiteral("<font color=\"red\">%1</font>")
                                     : QStringLiteral("<font color=\"#898989\">%1</font>");
    // Only a change: each setting restyles the label, equal or not.
    const QString tip = incomplete ? QStringLiteral("The current program is incomplete; the "
                                                    "calculation might differ from KIV to the ZQ.")
                                   : QString();
    if (f.markersFromLabel->toolTip() != tip)
        f.markersFromLabel->setToolTip(tip);
    f.markersFromLabel->setText(
        templ.arg(dateTimeText(data.getStartTime(), QStringLiteral("yyyy.MM.dd"))));
    f.markersToLabel->setText(dateTimeText(data.getEndTime(), QStringLiteral("yyyy.MM.dd")));
}
