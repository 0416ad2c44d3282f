#pragma once

#include <QMetaType>
#include <QString>

// The plotted loudness quantity.
enum PlotValue { PlotValueTP = 1, PlotValueM = 2, PlotValueS = 3, PlotValueI = 4 };

// The plots' time spans, 30 s to 72 h.
enum ZoomLevel {
    ZoomLevel30s = 0,
    ZoomLevel1min = 1,
    ZoomLevel5min = 2,
    ZoomLevel10min = 3,
    ZoomLevel20min = 4,
    ZoomLevel30min = 5,
    ZoomLevel40min = 6,
    ZoomLevel50min = 7,
    ZoomLevel1h = 8,
    ZoomLevel2h = 9,
    ZoomLevel3h = 10,
    ZoomLevel6h = 11,
    ZoomLevel9h = 12,
    ZoomLevel12h = 13,
    ZoomLevel24h = 14,
    ZoomLevel72h = 15
};
constexpr int kZoomLevelCount = 16;
constexpr bool isZoomLevel(int level) { return level >= 0 && level < kZoomLevelCount; }

// The instrument request kinds; ARequest derives from this so that ARequest::CommandType
// names them.
struct ARequestTypes {
    enum CommandType { LOGIN = 0, GETCONFIG = 1, GETDATA = 2 };
};
QString requestCommandName(int type);
QString requestCommandPath(int type);

enum ViolationType { ViolationTypeViolation = 0 };
enum Priority { PriorityLow = 0, PriorityNormal = 1, PriorityHigh = 2 };
enum EntityType { EntityTypeAudiogroup = 0 };
enum SmtpConnectionType { SmtpConnectionTCP = 0, SmtpConnectionSSL = 1, SmtpConnectionUnknown = 2 };

QString violationTypeToString(int type);
QString priorityToString(int priority);
QString entityTypeToString(int type);
QString smtpConnectionTypeToString(int type);
int smtpConnectionTypeFromString(const QString &text);

Q_DECLARE_METATYPE(PlotValue)
Q_DECLARE_METATYPE(ZoomLevel)
Q_DECLARE_METATYPE(ARequestTypes::CommandType)
