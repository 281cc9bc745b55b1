// The Host of the Qt front end: message boxes, beep, wait cursor, progress window, module
// dialogs, file and export questions. The windows that answer the questions are plugged in by the
// parts of the GUI that own them (module dialogs, progress window, export settings dialog).
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/Host.h"

namespace tavrel::qt {

class QtHost : public Host {
  public:
    QtHost();
    ~QtHost() override;

    void MessageBox(const std::string& utf8Text) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::unique_ptr<Progress> CreateProgress() override;
    bool RunModuleDialog(ModuleDialog& dialog) override;
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
    bool RunExportSettings(ExportSettings& settings) override;

    // The window that owns message boxes and dialogs (the main frame, or the active dialog).
    void SetParentWindow(QWidget* parent) { m_parent = parent; }
    QWidget* ParentWindow() const;

    // Plug-ins of the windows that answer the questions.
    std::function<bool(ModuleDialog&, QWidget* parent)> moduleDialogRunner;
    std::function<std::unique_ptr<Progress>(QWidget* parent)> progressFactory;
    std::function<bool(ExportSettings&, QWidget* parent)> exportSettingsRunner;

    static QtHost* Instance();

  private:
    QPointer<QWidget> m_parent;
    Host* m_previous = nullptr;
};

// The application title used as the caption of message boxes.
QString ApplicationTitle();

}  // namespace tavrel::qt
