#pragma once

#include "SystemConfig.h"

#include <QString>
#include <QStringList>

class QIODevice;
class XMLTag;

// "_config.xml": the whole SystemConfig as one UTF-8 XML document.

// The name of the program's configuration file in the data folder, "_config.xml".
QString systemConfigFileName();

// Fills the root "SystemConfig" tag: system fields, RangeSettings, SMTPConfig (unless
// omitted), ReportConfig, AlertContactsConfig, Instruments.
void buildSystemConfigXml(const SystemConfig &config, XMLTag &root, bool omitSmtp);

// The file's text; the database copy passes omitSmtp = true.
QString systemConfigToXmlString(const SystemConfig &config, bool omitSmtp);

// Writes the data folder's file `name` atomically (a temporary file renamed over the old
// one), readable by its owner only. 0 written; -1 when it could not be opened, written or
// committed, in which case the old file is left as it was.
int saveSystemConfigToFile(const SystemConfig &config, const QString &name);

// What loading the configuration file set aside or changed, for the user to be told once.
struct ConfigLoadNotes
{
    // Why the file could not be read; it was then set aside and the defaults loaded.
    QString unreadable;
    // One line per value repaired ("old" changed to "new") or record left out.
    QStringList changes;
    // Where the file as it was is kept; empty when it could not be kept.
    QString keptCopy;

    bool isEmpty() const { return unreadable.isEmpty() && changes.isEmpty(); }
    // The start-up alert's text: what happened and where the original is.
    QString alertText() const;
};

// Reads the data folder's file `name` and repairs it with the validators. A missing file
// gives the defaults; a file that cannot be read, parsed or is out of bounds (see
// ConfigQuery) is logged, set aside under a name of its own and the defaults are returned.
// Every repaired value is logged with its old and new text, and a copy of the file as it
// was is set aside. Of audiogroups that would share a database file, only the first is
// loaded (leaveOutSharedAgDbFiles). What was set aside or changed goes into `notes`.
SystemConfig loadSystemConfigFromFile(const QString &name, ConfigLoadNotes *notes = nullptr);

// A name of its own beside `path` for a set-aside copy: the path, the local time and
// ".bad", with a count added when a copy of that second exists already.
QString setAsidePath(const QString &path);

// Reads configuration XML from an open device (a database's configuration copy). The
// range settings are not read from it: the result keeps the default ones. A document
// that cannot be read is logged and gives the defaults.
SystemConfig loadSystemConfigFromInputDocument(QIODevice *document);
