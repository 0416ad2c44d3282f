#pragma once

#include "SystemConfig.h"

#include <QString>

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

// Reads the data folder's file `name` and repairs it with the validators. A missing file
// gives the defaults; a file that cannot be read, parsed or is out of bounds (see
// ConfigQuery) is logged, renamed to `name` + ".bad" and the defaults are returned. Of
// audiogroups that would share a database file, only the first is loaded
// (leaveOutSharedAgDbFiles).
SystemConfig loadSystemConfigFromFile(const QString &name);

// Reads configuration XML from an open device (a database's configuration copy). The
// range settings are not read from it: the result keeps the default ones. A document
// that cannot be read is logged and gives the defaults.
SystemConfig loadSystemConfigFromInputDocument(QIODevice *document);
