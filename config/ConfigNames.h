#pragma once

#include <QString>

class QStringList;
class SystemConfig;

// Checks a name that keys the configuration (instrument Name, audiogroup SourceName,
// contact Name) where it enters the system. `what` names it in the message, as in
// "Instrument". Returns true when the name can be stored; else false with a message
// for the user.
bool checkConfigKeyName(const QString &name, const QString &what, QString *message = nullptr);

// True when the database file of (instrumentName, sourceName) is the file of another
// audiogroup of the configuration: the file names sanitise "Main L" and "MainL", or "A/B"
// and "A_B", alike, and compare without case, since the data folder may lie on a file
// system that ignores it. The pair itself is no collision. The other pair is given back
// when asked for.
bool agDbFileCollides(const SystemConfig &config, const QString &instrumentName,
                      const QString &sourceName, QString *otherInstrument = nullptr,
                      QString *otherSource = nullptr);

// Leaves out every audiogroup whose database file is the file of an audiogroup before it
// (instruments by Name, audiogroups by SourceName, as the file lists them), with a log line
// naming both: two controllers must never write into one file. A configuration from before
// that check, or edited by hand, can hold such pairs. Returns how many were left out; each
// is also described in `notes` when given.
int leaveOutSharedAgDbFiles(SystemConfig &config, QStringList *notes = nullptr);
