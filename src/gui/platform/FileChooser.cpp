#include "gui/platform/FileChooser.h"

#include <QFileDialog>

#include "gui/platform/Translation.h"

namespace tavrel::qt {

namespace {
FileChooser& InstalledChooser() {
    static FileChooser chooser;
    return chooser;
}

FileAnswer RunFileDialog(QWidget* parent, const FileQuestion& question) {
    QFileDialog dialog(parent);
    PrepareFileDialog(dialog, question);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().first(), dialog.selectedNameFilter()};
}
}  // namespace

void PrepareFileDialog(QFileDialog& dialog, const FileQuestion& question) {
    const bool save = question.kind == FileQuestion::Kind::Save;
    // Without a title of its own a question gets the program's words for opening and saving,
    // not Qt's.
    if (!question.title.isEmpty())
        dialog.setWindowTitle(question.title);
    else
        dialog.setWindowTitle(save ? Tr("FileChooser", "名前を付けて保存")
                                   : Tr("FileChooser", "開く"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!question.filters.isEmpty()) dialog.setNameFilters(question.filters);
    if (!question.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(question.defaultSuffix);
    if (!question.proposed.isEmpty()) dialog.selectFile(question.proposed);
}

FileAnswer ChooseFile(QWidget* parent, const FileQuestion& question) {
    if (const FileChooser& chooser = InstalledChooser()) return chooser(parent, question);
    return RunFileDialog(parent, question);
}

FileChooser SetFileChooser(FileChooser chooser) {
    FileChooser previous = std::move(InstalledChooser());
    InstalledChooser() = std::move(chooser);
    return previous;
}

}  // namespace tavrel::qt
