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

// The file to read for a document's data-file path: the path itself when it names an existing
// file or is absolute; a relative path that does not exist as given is tried relative to the
// folder of the document file, so a document and its data file can move together.
std::string DataPathForReading(const std::string& dataPath, const std::string& documentPath);

// Reads the document's data file (LoadDataFile) with commands held off. The stored path is left
// as it was, even when the file was found next to the document.
void ReadDataFile(CKaisekiDoc& doc);

// The notice shown while the document holds a data file cut at the row limit (empty when the
// whole file was read): in the status bar and in the processing-settings dialog.
QString RowsLeftOutNotice(const CKaisekiDoc& doc);

}  // namespace tavrel::qt
