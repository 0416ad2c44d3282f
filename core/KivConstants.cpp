#include "KivConstants.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace KivConstants {

namespace {
QPen makePen(int r, int g, int b, int a, int width, Qt::PenCapStyle cap, Qt::PenJoinStyle join)
{
    return QPen(QBrush(QColor(r, g, b, a), Qt::SolidPattern), width, Qt::SolidLine, cap, join);
}
} // namespace

#define KIV_PEN(fn, r, g, b, a, w, cap, join)                                                      \
    const QPen &fn()                                                                               \
    {                                                                                              \
        static const QPen pen = makePen(r, g, b, a, w, cap, join);                                 \
        return pen;                                                                                \
    }

KIV_PEN(penTP, 255, 255, 0, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penM, 2, 254, 255, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penS, 255, 0, 254, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penI, 0, 255, 0, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penFallback, 255, 255, 255, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penGreyWide, 150, 150, 150, 255, 2, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penGrey, 150, 150, 150, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penGreySecond, 150, 150, 150, 255, 1, Qt::RoundCap, Qt::RoundJoin)
KIV_PEN(penDarkGrey, 61, 61, 61, 255, 1, Qt::SquareCap, Qt::MiterJoin)
KIV_PEN(penMidGrey, 117, 117, 117, 255, 1, Qt::SquareCap, Qt::MiterJoin)
KIV_PEN(penTranslucentDarkGrey, 61, 61, 61, 200, 1, Qt::SquareCap, Qt::MiterJoin)
#undef KIV_PEN

const QColor &colorWhiteChecked()
{
    static const QColor color(255, 255, 255, 255);
    return color;
}

const QColor &colorWhiteUnchecked()
{
    static const QColor color(255, 255, 255, 255);
    return color;
}

const char *const kIconEventPlay = ":/plot/events/agview/events/eventPlay.png";
const char *const kIconEventStop = ":/plot/events/agview/events/eventStop.png";
const char *const kIconEventReset = ":/plot/events/agview/events/eventReset.png";
const char *const kIconEventMulti = ":/plot/events/agview/events/eventMulti.png";
const char *const kIconLightRed = ":/gui/menubar/aglistview/Semaphore/semaphore_red_light.png";
const char *const kIconLightGreen = ":/gui/menubar/aglistview/Semaphore/semaphore_green_light.png";
const char *const kIconLightYellow =
    ":/gui/menubar/aglistview/Semaphore/semaphore_yellow_light.png";
const char *const kIconLightGray = ":/gui/menubar/aglistview/Semaphore/semaphore_gray_light.png";

const char *const kButtonFocusSheetDark =
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #585858, stop:1 "
    "#434343);border: 1px solid %1; border-radius: 4px;";
const char *const kButtonFocusSheetLight =
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #A9A9A9, stop:1 "
    "#797979);border: 1px solid %1;border-radius: 4px;";

const QString &settingsCategorySheet()
{
    static const QString sheet = QStringLiteral(
        "QRadioButton { font: bold 15px \"Verdana\"; padding-left: 12px; border-radius: 4px; "
        "border-bottom: 1px solid black; border-left: 1px solid rgba(0, 0, 0, 240); "
        "border-top: 1px solid grey; }"
        "QRadioButton::indicator { width: 0px; height: 0px; }"
        "QRadioButton:checked { background-color: #656565; color: #FFFFFF; }"
        "QRadioButton:unchecked { background-color: #515151; color: #8E8E8E; }");
    return sheet;
}

const QDateTime &epoch()
{
    static const QDateTime value(QDate(1970, 1, 1), QTime(0, 0, 0), Qt::LocalTime);
    return value;
}

const QString &versionText()
{
    static const QString text = QStringLiteral("%1.%2").arg(kVersionMajor).arg(kVersionMinor);
    return text;
}

const QString &buildString()
{
    static const QString text = [] {
        // The build's own date and time, from the compiler.
        const QDate date = QLocale::c().toDate(QString::fromLatin1(__DATE__).simplified(),
                                               QStringLiteral("MMM d yyyy"));
        const QTime time = QTime::fromString(QStringLiteral(__TIME__), QStringLiteral("hh:mm:ss"));
        auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
        return QStringLiteral("%1.%2-V-%3-%4-%5T%6:%8:%9-M%10.%11")
            .arg(kVersionMajor)
            .arg(kVersionMinor)
            .arg(date.year())
            .arg(two(date.month()))
            .arg(two(date.day()))
            .arg(two(time.hour()))
            .arg(two(time.minute()))
            .arg(two(time.second()))
            .arg(0)
            .arg(0);
    }();
    return text;
}

const QMap<int, QString> &zoomLevelLabels()
{
    static const QMap<int, QString> labels{
        {0, QStringLiteral("30 s")},   {1, QStringLiteral("1 min")},  {2, QStringLiteral("5 min")},
        {3, QStringLiteral("10 min")}, {4, QStringLiteral("20 min")}, {5, QStringLiteral("30 min")},
        {6, QStringLiteral("40 min")}, {7, QStringLiteral("50 min")}, {8, QStringLiteral("1 h")},
        {9, QStringLiteral("2 h")},    {10, QStringLiteral("3 h")},   {11, QStringLiteral("6 h")},
        {12, QStringLiteral("9 h")},   {13, QStringLiteral("12 h")},  {14, QStringLiteral("24 h")},
        {15, QStringLiteral("72 h")}};
    return labels;
}

QString zoomLevelLabel(int level) { return zoomLevelLabels().value(level); }

const char *const kMsgInvalidSystemSettings = "Invalid System settings";
const char *const kMsgCouldNotSaveSystemConfig = "Could not save SystemConfig.";
const char *const kMsgHijackDenyNoInstrument = "Hijack deny failed: could not find instrument";
const char *const kMsgHijackDenyNoAcquisition =
    "Hijack deny failed: no acquisition on audiogroups found";
const char *const kMsgHijackDenyConfigChange = "Hijack deny failed: could not change config";
const char *const kMsgHijackDenySuccess =
    "Hijack deny successfull; audiogroups %1 acquisition has been set to off";
const char *const kMsgPleaseWaitProcessing = "Please wait; processing";
const char *const kMsgHijackRequest =
    "Instrument %1 needs to perform a hijack in order to continue acquisition.\n"
    "Changed settings could lead to wrong renderings of old data.";
const char *const kHijackRequestKey = "%1_%2";
const char *const kDefaultReportUrl = "http://localhost";

namespace ReportTags {
const char *const kNameWithUnit = "%1 (%2)";
const char *const kReport = "Report", *const kDateTime = "DateTime",
                  *const kSegmentDuration = "SegmentDuration", *const kCompanyName = "CompanyName",
                  *const kAddress1 = "Address1", *const kAddress2 = "Address2",
                  *const kInstrumentConfig = "InstrumentConfig", *const kAgConfig = "AgConfig",
                  *const kThresholdMain = "ThresholdMain",
                  *const kThresholdSecondary = "ThresholdSecondary", *const kUpper = "Upper",
                  *const kLower = "Lower", *const kLoudnessErrorCount = "LoudnessErrorCount",
                  *const kTPErrorCount = "TPErrorCount", *const kPgms = "Pgms", *const kPgm = "Pgm",
                  *const kViolations = "Violations",
                  *const kThresholdMainViolation = "ThresholdMainViolation",
                  *const kThresholdSecondaryViolation = "ThresholdSecondaryViolation",
                  *const kSamples = "Samples", *const kSample = "Sample",
                  *const kStartDate = "startDate", *const kEndDate = "endDate",
                  *const kStartTime = "startTime", *const kEndTime = "endTime",
                  *const kName = "name", *const kEnabled = "enabled",
                  *const kManufacturer = "manufacturer", *const kModel = "model",
                  *const kSerialNo = "serialNo", *const kFirmware = "firmware",
                  *const kPresetName = "presetName", *const kSourceName = "sourceName",
                  *const kMode = "mode", *const kTarget = "target",
                  *const kTargetUnit = "targetUnit", *const kLoudnessUnit = "loudnessUnit",
                  *const kAudioMode = "audioMode", *const kDomain = "domain", *const kTP = "TP",
                  *const kTPMax = "TPMax", *const kM = "M", *const kMMax = "MMax", *const kS = "S",
                  *const kSMax = "SMax", *const kI = "I", *const kLRA = "LRA",
                  *const kTPColor = "TPColor", *const kTPMaxColor = "TPMaxColor",
                  *const kMColor = "MColor", *const kMMaxColor = "MMaxColor",
                  *const kSColor = "SColor", *const kSMaxColor = "SMaxColor",
                  *const kIColor = "IColor", *const kLRAColor = "LRAColor",
                  *const kTPCount = "TPCount", *const kMCount = "MCount", *const kSCount = "SCount",
                  *const kICount = "ICount", *const kCount = "count", *const kStart = "start",
                  *const kStop = "stop", *const kPgmId = "pgmId", *const kStatus = "status",
                  *const kTime = "time", *const kFlag = "flag", *const kNone = "none",
                  *const kRed = "RED", *const kYellow = "YELLOW", *const kGreen = "GREEN",
                  *const kBlack = "BLACK", *const kZero = "0", *const kOne = "1";
} // namespace ReportTags

namespace AlertTags {
const char *const kAlertsEmail = "AlertsEmail", *const kAlert = "Alert", *const kTime = "time",
                  *const kType = "type", *const kSeverity = "severity", *const kSource = "source",
                  *const kDescription = "description";
} // namespace AlertTags

const QStringList &multipartSubtypes()
{
    static const QStringList subtypes{
        QStringLiteral("multipart/mixed"),     QStringLiteral("multipart/digest"),
        QStringLiteral("multipart/alternative"), QStringLiteral("multipart/related"),
        QStringLiteral("multipart/report"),    QStringLiteral("multipart/signed"),
        QStringLiteral("multipart/encrypted")};
    return subtypes;
}

} // namespace KivConstants
