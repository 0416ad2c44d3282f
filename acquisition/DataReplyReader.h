#pragma once

#include <QByteArray>

class AcquisitionResponse;

// The data reply as meters write it, read straight from its UTF-8 bytes: every poll brings
// thousands of elements of a few known names. Only that form is taken: the known elements
// in their places, element tags without attributes or blanks, text without references,
// carriage returns or characters outside the Basic Multilingual Plane, nothing before the
// root but a byte-order mark and a declaration. Everything else is left to the reply's
// reading of the decoded text.
class DataReplyReader
{
public:
    // True when the body is of that form; the reply then holds, and has logged, exactly what
    // parseReply(decodeReplyBody(body)) would have given it. False leaves the reply untouched.
    // The body owns its bytes (not QByteArray::fromRawData): the reader relies on the null
    // byte behind them.
    static bool read(const QByteArray &body, AcquisitionResponse &reply);
};
