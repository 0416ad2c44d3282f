#include "AlertEmailXMLComposer.h"

#include <KivConstants.h>
#include <KivTypes.h>
#include <XMLTag.h>

#include <QDateTime>

AlertEmailXMLComposer::AlertEmailXMLComposer(std::vector<Alert> alerts)
    : m_alerts(std::move(alerts))
{
}

AlertEmailXMLComposer::~AlertEmailXMLComposer() = default;

QString AlertEmailXMLComposer::compose() const
{
    using namespace KivConstants::AlertTags;
    XMLTag root{QLatin1String(kAlertsEmail)};
    for (const Alert &alert : m_alerts) {
        XMLTag element{QLatin1String(kAlert)};
        element.setAttribute(QLatin1String(kTime),
                             QDateTime::fromMSecsSinceEpoch(alert.getTime(), Qt::UTC)
                                 .toLocalTime()
                                 .toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")));
        element.addTextChild(QLatin1String(kType), violationTypeToString(alert.getType()));
        element.addTextChild(QLatin1String(kSeverity), priorityToString(alert.getSeverity()));
        element.addTextChild(QLatin1String(kSource), entityTypeToString(alert.getSource()));
        element.addTextChild(QLatin1String(kDescription), alert.getDescription());
        root.appendChild(element);
    }
    return root.toDocumentString();
}
