#pragma once

#include "ConfigQuery.h"

#include <QList>
#include <QPair>
#include <QString>

class QMetaMethod;
class QObject;
class XMLTag;

// The reflective side of "_config.xml": every invokable "get..." method of a record is an
// element named after the rest of its name, every invokable "set..." method is read back
// from the element of the same name.

// The getter's value as text; 0, or -1 when its type has no text form (nothing written).
int writeFieldValue(const QObject &object, const QMetaMethod &getter, QString &text);
// Calls the setter with the text converted to its parameter type. An empty text (missing
// or empty element) leaves the field alone; a number that does not convert sets -32767.
void readFieldValue(QObject &object, const QMetaMethod &setter, const QString &text);

// Each getter's field name and value text, in declaration order, as writeObjectFields
// writes them.
QList<QPair<QString, QString>> objectFieldTexts(const QObject &object);

// Appends one element per getter, in declaration order; returns the last non-zero result
// of writeFieldValue, else 0.
int writeObjectFields(const QObject &object, XMLTag &parent);
void readObjectFields(QObject &object, ConfigQuery &query, ConfigQuery::Section section);

// A record without attributes or children: one element `name` holding its fields.
void appendObjectElement(const QObject &object, const QString &name, XMLTag &parent);
template <class Record> Record readObject(ConfigQuery &query, ConfigQuery::Section section)
{
    Record record;
    readObjectFields(record, query, section);
    return record;
}
