#pragma once

#include <ConfigReflection.h>

#include <QMetaMethod>
#include <QObject>
#include <QString>

// Reads and writes record fields by their element names, through the same conversions
// as the file.
namespace ConfigTestUtil {

inline QMetaMethod findMethod(const QObject &object, const QString &prefix, const QString &field)
{
    const QMetaObject *meta = object.metaObject();
    const QByteArray wanted = (prefix + field + QLatin1Char('(')).toLatin1();
    for (int i = 0; i < meta->methodCount(); ++i)
        if (meta->method(i).methodSignature().startsWith(wanted))
            return meta->method(i);
    return QMetaMethod();
}

inline QString fieldText(const QObject &object, const QString &field)
{
    QString text;
    const QMetaMethod getter = findMethod(object, QStringLiteral("get"), field);
    if (!getter.isValid() || writeFieldValue(object, getter, text) != 0)
        return QStringLiteral("<no field %1>").arg(field);
    return text;
}

inline bool setField(QObject &object, const QString &field, const QString &text)
{
    const QMetaMethod setter = findMethod(object, QStringLiteral("set"), field);
    if (!setter.isValid())
        return false;
    readFieldValue(object, setter, text);
    return true;
}

// Applies "Field=value;Field=value".
inline bool setFields(QObject &object, const QString &assignments)
{
    const QStringList parts = assignments.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq < 0 || !setField(object, part.left(eq), part.mid(eq + 1)))
            return false;
    }
    return true;
}

// Every field as "Field=value;..." in getter order.
inline QString allFields(const QObject &object)
{
    QStringList out;
    const QMetaObject *meta = object.metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        const QByteArray sig = m.methodSignature();
        if (!sig.startsWith("get") || sig.size() <= 3)
            continue;
        QString text;
        if (writeFieldValue(object, m, text) == 0)
            out << QString::fromLatin1(sig.mid(3, sig.indexOf('(') - 3)) + QLatin1Char('=') + text;
    }
    return out.join(QLatin1Char(';'));
}

} // namespace ConfigTestUtil
