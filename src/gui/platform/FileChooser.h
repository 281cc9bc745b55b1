// The file-open and file-save questions of the program, asked in one place: the data file, the
// document, the processed-data export and the graph image. By default they show Qt's file dialog;
// a chooser installed in its place (the GUI tests) answers them directly.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

namespace tavrel::qt {

struct FileQuestion {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;          // empty: "開く" or "名前を付けて保存"
    QString proposed;       // file name (or path) selected when the dialog opens
    QStringList filters;    // "Name (*.ext)" entries; the first is selected
    QString defaultSuffix;  // appended to a saved name without one
};

struct FileAnswer {
    QString path;    // empty when the user cancelled
    QString filter;  // the filter selected when the dialog closed
};

using FileChooser = std::function<FileAnswer(QWidget* parent, const FileQuestion& question)>;

// Asks the question through the installed chooser, or Qt's file dialog when none is installed.
FileAnswer ChooseFile(QWidget* parent, const FileQuestion& question);

// Installs a chooser in place of the file dialog; an empty one puts the dialog back. Returns the
// chooser that was installed before.
FileChooser SetFileChooser(FileChooser chooser);

// Sets up Qt's file dialog for the question, as the default chooser shows it: an open question
// asks for an existing file, a save question for any name and confirms replacing a file.
void PrepareFileDialog(QFileDialog& dialog, const FileQuestion& question);

}  // namespace tavrel::qt
