#pragma once

#include <QColor>
#include <QDateTime>
#include <QMap>
#include <QPen>
#include <QString>
#include <QStringList>

// Fixed texts and drawing resources, each built on first use and read-only afterwards.
namespace KivConstants {

// At most this many audiogroups are configured at a time; adding or importing more is refused.
constexpr int kMaxAudiogroupCount = 20;

// Plot pens.
const QPen &penTP();
const QPen &penM();
const QPen &penS();
const QPen &penI();
const QPen &penFallback();
const QPen &penGreyWide();
const QPen &penGrey();
const QPen &penGreySecond();
const QPen &penDarkGrey();
const QPen &penMidGrey();
const QPen &penTranslucentDarkGrey();

// The white colours of the double-text check-box buttons.
const QColor &colorWhiteChecked();
const QColor &colorWhiteUnchecked();

// Icon resource paths.
extern const char *const kIconEventPlay;
extern const char *const kIconEventStop;
extern const char *const kIconEventReset;
extern const char *const kIconEventMulti;
extern const char *const kIconLightRed;
extern const char *const kIconLightGreen;
extern const char *const kIconLightYellow;
extern const char *const kIconLightGray;

// Button focus style sheets; %1 is the border colour.
extern const char *const kButtonFocusSheetDark;
extern const char *const kButtonFocusSheetLight;
// The settings category selector's radio buttons.
const QString &settingsCategorySheet();

// The device's time reference: 1970-01-01 00:00:00 local time.
const QDateTime &epoch();
constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 7;
const QString &versionText();
const QString &buildString();

// Zoom-level labels; an unknown level gives "".
const QMap<int, QString> &zoomLevelLabels();
QString zoomLevelLabel(int level);

// Messages.
extern const char *const kMsgInvalidSystemSettings;
extern const char *const kMsgCouldNotSaveSystemConfig;
extern const char *const kMsgHijackDenyNoInstrument;
extern const char *const kMsgHijackDenyNoAcquisition;
extern const char *const kMsgHijackDenyConfigChange;
extern const char *const kMsgHijackDenySuccess;
extern const char *const kMsgPleaseWaitProcessing;
extern const char *const kMsgHijackRequest;
extern const char *const kHijackRequestKey;
extern const char *const kDefaultReportUrl;

// Element and attribute names of the report XML, and the colour words.
namespace ReportTags {
extern const char *const kNameWithUnit; // "%1 (%2)"
extern const char *const kReport, *const kDateTime, *const kSegmentDuration,
    *const kCompanyName, *const kAddress1, *const kAddress2, *const kInstrumentConfig,
    *const kAgConfig, *const kThresholdMain, *const kThresholdSecondary, *const kUpper,
    *const kLower, *const kLoudnessErrorCount, *const kTPErrorCount, *const kPgms, *const kPgm,
    *const kViolations, *const kThresholdMainViolation, *const kThresholdSecondaryViolation,
    *const kSamples, *const kSample, *const kStartDate, *const kEndDate, *const kStartTime,
    *const kEndTime, *const kName, *const kEnabled, *const kManufacturer, *const kModel,
    *const kSerialNo, *const kFirmware, *const kPresetName, *const kSourceName, *const kMode,
    *const kTarget, *const kTargetUnit, *const kLoudnessUnit, *const kAudioMode, *const kDomain,
    *const kTP, *const kTPMax, *const kM, *const kMMax, *const kS, *const kSMax, *const kI,
    *const kLRA, *const kTPColor, *const kTPMaxColor, *const kMColor, *const kMMaxColor,
    *const kSColor, *const kSMaxColor, *const kIColor, *const kLRAColor, *const kTPCount,
    *const kMCount, *const kSCount, *const kICount, *const kCount, *const kStart, *const kStop,
    *const kPgmId, *const kStatus, *const kTime, *const kFlag, *const kNone, *const kRed,
    *const kYellow, *const kGreen, *const kBlack, *const kZero, *const kOne;
} // namespace ReportTags

// Element and attribute names of the alert e-mail XML.
namespace AlertTags {
extern const char *const kAlertsEmail, *const kAlert, *const kTime, *const kType,
    *const kSeverity, *const kSource, *const kDescription;
} // namespace AlertTags

// Multipart subtypes of e-mail messages.
const QStringList &multipartSubtypes();

} // namespace KivConstants
