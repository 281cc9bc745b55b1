#include "gui/document/DocumentCommands.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "document/DataSettings.h"
#include "document/KaisekiDoc.h"
#include "gui/document/DataReading.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/QtHost.h"
#include "gui/platform/Translation.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel::qt {

namespace {
// Made when asked, so that they are in the display language of the run.
QStringList DocumentFilters() {
    return {Tr("DocumentCommands", "Tavrel ﾌｧｲﾙ (*.kcd)"), QStringLiteral("All Files (*)")};
}

QString DefaultOpenPath(QWidget* window) {
    FileQuestion question;
    question.title = Tr("DocumentCommands", "開く");
    question.filters = DocumentFilters();
    return ChooseFile(window, question).path;
}

QString DefaultSavePath(QWidget* window, const QString& proposed) {
    FileQuestion question;
    question.kind = FileQuestion::Kind::Save;
    question.title = Tr("DocumentCommands", "名前を付けて保存");
    question.filters = DocumentFilters();
    question.defaultSuffix = QStringLiteral("kcd");
    question.proposed = proposed;
    return ChooseFile(window, question).path;
}

DocumentCommands::SaveAnswer DefaultSaveQuestion(QWidget* window, const QString& title) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(),
                    Tr("DocumentCommands", "%1 への変更を保存しますか?").arg(title),
                    QMessageBox::NoButton, window);
    QPushButton* yes = box.addButton(Tr("DocumentCommands", "はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("DocumentCommands", "いいえ(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(Tr("DocumentCommands", "ｷｬﾝｾﾙ"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return DocumentCommands::SaveAnswer::Save;
    if (box.clickedButton() == no) return DocumentCommands::SaveAnswer::Discard;
    return DocumentCommands::SaveAnswer::Cancel;
}
QString AbsolutePath(const QString& name) {
    return name.isEmpty() ? name : QFileInfo(name).absoluteFilePath();
}
}  // namespace

DocumentCommands::DocumentCommands(CKaisekiDoc& doc, std::unique_ptr<RecentFileList> recent,
                                   QWidget* window)
    : m_doc(doc), m_recent(std::move(recent)), m_window(window) {
    if (!m_recent) m_recent = std::make_unique<RecentFileList>();
    askOpenPath = [this] { return DefaultOpenPath(m_window); };
    askSavePath = [this](const QString& proposed) { return DefaultSavePath(m_window, proposed); };
    askSaveChanges = [this](const QString& title) { return DefaultSaveQuestion(m_window, title); };
}

DocumentCommands::~DocumentCommands() = default;

QString DocumentCommands::DocumentTitle() const {
    const std::string& path = m_doc.GetPathName();
    if (path.empty()) return Tr("DocumentCommands", "無題");
    return QFileInfo(QString::fromStdString(path)).fileName();
}

QString DocumentCommands::WindowTitle() const {
    return DocumentTitle() + QStringLiteral(" - ") + ApplicationTitle();
}

void DocumentCommands::Announce() {
    emit titleChanged(WindowTitle());
    emit recentFilesChanged(m_recent->Files());
}

bool DocumentCommands::SaveModified() {
    if (!m_doc.IsModified()) return true;
    switch (askSaveChanges(DocumentTitle())) {
        case SaveAnswer::Save:
            return OnFileSave();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

bool DocumentCommands::OnFileNew() {
    if (RefuseWhileReading() || !SaveModified()) return false;
    m_doc.OnNewDocument();
    m_doc.UpdateAllViews();
    emit initialUpdate();
    Announce();
    return true;
}

bool DocumentCommands::OnFileOpen() {
    if (RefuseWhileReading()) return false;
    QString path = askOpenPath();
    if (path.isEmpty()) return false;
    return OpenDocumentFile(path);
}

bool DocumentCommands::OpenDocumentFile(const QString& name) {
    if (RefuseWhileReading() || !SaveModified()) return false;
    // The full path, so that the recent-file list and "上書き保存" do not depend on the folder the
    // program was started in.
    const QString path = AbsolutePath(name);
    std::string file = path.toStdString();
    // The file is read and checked on a scratch document first, so that one that cannot be
    // opened leaves the current document, its data and its views as they were.
    std::string bytes;
    bool readable = ReadDocumentFileBytes(file, bytes).empty();
    if (readable) {
        CKaisekiDoc check;
        readable = check.ReadDocumentBytes(bytes).Ok();
    }
    // (Reading the checked bytes again can only fail when memory runs out; the document is then
    // set up anew.)
    const auto loaded = readable ? m_doc.ReadDocumentBytes(bytes)
                                 : Result<CKaisekiDoc::LoadedSetup, std::string>(
                                       Failure(std::string("cannot be read")));
    if (!loaded) {
        // The entry that failed leaves the list.
        GetHost().MessageBox(Translate("Document", "ドキュメントを開くことができません。") + "\n" +
                             file);
        m_recent->Remove(path);
        if (readable) m_doc.UpdateAllViews();
        Announce();
        return false;
    }
    m_doc.SetPathName(file);
    m_recent->Add(path);
    Announce();
    // Only a document that held chains reads its data file; a recording brings its own rate and
    // unit.
    if (loaded->hadChains) ReadDataFile(m_doc, true);
    m_doc.UpdateAllViews();
    emit initialUpdate();
    return true;
}

bool DocumentCommands::OnFileSave() {
    if (RefuseWhileReading()) return false;
    QString path = QString::fromStdString(m_doc.GetPathName());
    if (path.isEmpty()) return OnFileSaveAs();
    return SaveAs(path);
}

bool DocumentCommands::OnFileSaveAs() {
    if (RefuseWhileReading()) return false;
    QString current = QString::fromStdString(m_doc.GetPathName());
    QString proposed = current.isEmpty() ? DocumentTitle() + QStringLiteral(".kcd") : current;
    QString path = askSavePath(proposed);
    if (path.isEmpty()) return false;
    return SaveAs(path);
}

bool DocumentCommands::SaveAs(const QString& name) {
    const QString path = AbsolutePath(name);
    const std::string file = path.toStdString();
    if (!m_doc.SaveDocumentFile(file)) {
        // The document stays modified; an earlier file stays as it was.
        GetHost().MessageBox(Translate("Document", "ドキュメントを保存できません。") + "\n" + file);
        return false;
    }
    m_recent->Add(path);
    Announce();
    return true;
}

}  // namespace tavrel::qt
