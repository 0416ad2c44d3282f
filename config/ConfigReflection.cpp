#include "ConfigReflection.h"

#include <XMLTag.h>

#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <exception>

namespace {

constexpr int kDamagedNumber = -32767;

bool hasTextForm(int type)
{
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Float:
    case QMetaType::Double:
    case QMetaType::QString:
        return true;
    default:
        return false;
    }
}

// The field name of "getX()" / "setX(...)": "X"; empty when the method is not one.
QString fieldName(const QMetaMethod &method, const char *prefix)
{
    const QByteArray signature = method.methodSignature();
    if (!signature.startsWith(prefix) || signature.size() <= 3)
        return QString();
    const int paren = signature.indexOf('(');
    return QString::fromLatin1(signature.mid(3, paren < 0 ? -1 : paren - 3));
}

template <typename T>
bool invokeGetter(const QObject &object, const QMetaMethod &getter, T &value)
{
    return getter.invoke(const_cast<QObject *>(&object), Qt::DirectConnection,
                         QGenericReturnArgument(QMetaType::typeName(getter.returnType()), &value));
}

template <typename T>
void invokeSetter(QObject &object, const QMetaMethod &setter, const T &value)
{
    setter.invoke(&object, Qt::DirectConnection,
                  QGenericArgument(QMetaType::typeName(setter.parameterType(0)), &value));
}

} // namespace

int writeFieldValue(const QObject &object, const QMetaMethod &getter, QString &text)
{
    switch (getter.returnType()) {
    case QMetaType::Bool: {
        bool v = false;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = v ? QStringLiteral("1") : QStringLiteral("0");
        return 0;
    }
    case QMetaType::Int: {
        int v = 0;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = QString::number(v);
        return 0;
    }
    case QMetaType::LongLong: {
        qlonglong v = 0;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = QString::number(v);
        return 0;
    }
    case QMetaType::Float: {
        float v = 0;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = QString::number(double(v), 'g', 6);
        return 0;
    }
    case QMetaType::Double: {
        double v = 0;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = QString::number(v, 'g', 6);
        return 0;
    }
    case QMetaType::QString: {
        QString v;
        if (!invokeGetter(object, getter, v))
            return -1;
        text = v;
        return 0;
    }
    default:
        return -1;
    }
}

void readFieldValue(QObject &object, const QMetaMethod &setter, const QString &text)
{
    if (text.isEmpty() || setter.parameterCount() < 1)
        return;
    bool ok = false;
    switch (setter.parameterType(0)) {
    case QMetaType::Bool: {
        const bool v = text == QLatin1String("1") || text == QLatin1String("true");
        invokeSetter(object, setter, v);
        break;
    }
    case QMetaType::Int: {
        int v = text.toInt(&ok, 10);
        invokeSetter(object, setter, ok ? v : kDamagedNumber);
        break;
    }
    case QMetaType::LongLong: {
        qlonglong v = text.toLongLong(&ok, 10);
        invokeSetter(object, setter, ok ? v : qlonglong(kDamagedNumber));
        break;
    }
    case QMetaType::Float: {
        float v = text.toFloat(&ok);
        invokeSetter(object, setter, ok ? v : float(kDamagedNumber));
        break;
    }
    case QMetaType::Double: {
        double v = text.toDouble(&ok);
        invokeSetter(object, setter, ok ? v : double(kDamagedNumber));
        break;
    }
    case QMetaType::QString:
        invokeSetter(object, setter, text);
        break;
    default:
        break;
    }
}

int writeObjectFields(const QObject &object, XMLTag &parent)
{
    const QMetaObject *meta = object.metaObject();
    int result = 0;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = fieldName(method, "get");
        if (name.isEmpty())
            continue;
        QString text;
        const int written = writeFieldValue(object, method, text);
        if (written != 0)
            result = written;
        else
            parent.addTextChild(name, text);
    }
    return result;
}

QList<QPair<QString, QString>> objectFieldTexts(const QObject &object)
{
    QList<QPair<QString, QString>> fields;
    const QMetaObject *meta = object.metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = fieldName(method, "get");
        QString text;
        if (!name.isEmpty() && writeFieldValue(object, method, text) == 0)
            fields.append(qMakePair(name, text));
    }
    return fields;
}

void appendObjectElement(const QObject &object, const QString &name, XMLTag &parent)
{
    XMLTag tag(name);
    writeObjectFields(object, tag);
    parent.appendChild(tag);
}

void readObjectFields(QObject &object, ConfigQuery &query, ConfigQuery::Section section)
{
    const QMetaObject *meta = object.metaObject();
    QVector<QMetaMethod> setters;
    QStringList names;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = fieldName(method, "set");
        // A setter whose type has no text form is never called: nothing to read for it.
        if (name.isEmpty() || method.parameterCount() < 1 || !hasTextForm(method.parameterType(0)))
            continue;
        setters.append(method);
        names.append(name);
    }
    const QStringList values = query.fields(section, names);
    for (int i = 0; i < setters.size(); ++i) {
        try {
            readFieldValue(object, setters.at(i), values.at(i));
        } catch (const std::exception &) {
            // One bad field must not stop the others.
        }
    }
}
