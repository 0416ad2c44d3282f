#pragma once

#include <QString>

// The XQuery texts that read the configuration document, built on first use.
// Mode 0 reads the query's focus, mode 1 the document bound to $inputDocument.
// Sections: 0 system, 1 range settings, 2 instrument, 3 audiogroup, 4 SMTP,
// 5 alert contact, 6 report. Unknown modes or sections give an empty text.
// A field query gives the name and the text of every child of the section element, in
// document order; a field is read from the first child whose name ends with its name.
const QString &configFieldQueryText(int mode, int section);
// Name lists: section 2 instrument Names, 3 SourceNames of $instrumentId,
// 5 contact Names.
const QString &configNameListQueryText(int mode, int section);
