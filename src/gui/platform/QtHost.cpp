#include "gui/platform/QtHost.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include "gui/platform/EventPump.h"
#include "gui/platform/FileChooser.h"

namespace tavrel::qt {

namespace {
QtHost* g_instance = nullptr;

class SilentProgress : public Progress {
  public:
    void SetRange(int, int) override {}
    void Step(int) override {}
    int PumpMessages() override {
        m_pump.Offer();
        return 0;
    }

  private:
    EventPump m_pump;
};
}  // namespace

QString ApplicationTitle() {
    return QStringLiteral("Tavrel");
}

QtHost::QtHost() : m_previous(SetHost(this)) {
    g_instance = this;
}

QtHost::~QtHost() {
    SetHost(m_previous);
    if (g_instance == this) g_instance = nullptr;
}

QtHost* QtHost::Instance() {
    return g_instance;
}

QWidget* QtHost::ParentWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return m_parent.data();
}

void QtHost::MessageBox(const std::string& utf8Text) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), QString::fromStdString(utf8Text),
                    QMessageBox::Ok, ParentWindow());
    box.exec();
}

void QtHost::Beep() {
    QApplication::beep();
}

void QtHost::BeginWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtHost::EndWaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

std::unique_ptr<Progress> QtHost::CreateProgress() {
    if (progressFactory) return progressFactory(ParentWindow());
    return std::make_unique<SilentProgress>();
}

bool QtHost::RunModuleDialog(ModuleDialog& dialog) {
    return moduleDialogRunner ? moduleDialogRunner(dialog, ParentWindow()) : false;
}

std::optional<std::string> QtHost::ChooseSaveFile(const SaveFileRequest& request) {
    FileQuestion question;
    question.kind = FileQuestion::Kind::Save;
    question.proposed = QString::fromStdString(request.proposedName);
    question.defaultSuffix = QString::fromStdString(request.defaultExtension);
    // "Data Files (*.csv)|*.csv|All Files (*.*)|*.*||" becomes Qt's "name (pattern)" list. The
    // pattern "*.*" means every file, also one without a dot, which Qt writes "*".
    QStringList parts = QString::fromStdString(request.filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) continue;
        QString name = parts[i];
        if (parts[i + 1] == QStringLiteral("*.*")) name.replace(QStringLiteral("(*.*)"), "(*)");
        question.filters << name;
    }
    FileAnswer answer = ChooseFile(ParentWindow(), question);
    if (answer.path.isEmpty()) return {};
    return answer.path.toStdString();
}

bool QtHost::RunExportSettings(ExportSettings& settings) {
    return exportSettingsRunner ? exportSettingsRunner(settings, ParentWindow()) : false;
}

}  // namespace tavrel::qt
