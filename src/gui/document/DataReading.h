// Reading the data file from the GUI. The reader keeps dispatching window messages so that its
// progress window stays responsive; commands that change the document are held off meanwhile
// (they check RefuseWhileReading), so nothing re-enters the document in the middle of a read.
#pragma once

#include <QString>
#include <string>

namespace tavrel {
class CKaisekiDoc;
}

namespace tavrel::qt {

// True while ReadDataFile is running.
bool IsReadingData();
// For the entry points of document-changing commands: true (after the refusal beep) while the
// data file is being read; the command must then do nothing.
bool RefuseWhileReading();

// Reads the document's data file (CKaisekiDoc::LoadDataFile at the user's row limit) with commands
// held off, the progress window and the wait cursor shown, and tells the user what the reading
// brought: the reason a file could not be read, a lack of memory, signals left out for their rate,
// the beep of a cancel. With `takeValues` (opening a document) a recording's rate and unit go
// into the heads.
void ReadDataFile(CKaisekiDoc& doc, bool takeValues = false);

// The notice shown, without stopping the user, while the document holds the data of a reading that
// found something to tell (empty otherwise): the file cut at the row limit, no data or no number
// in it, rows of text read as 0, a recording's rate rounded. In the status bar and in the
// processing-settings dialog.
QString ReadingNotice(const CKaisekiDoc& doc);

}  // namespace tavrel::qt
