// What the core asks of the user interface. The GUI implements it with Qt, the tests with a
// scripted host that records messages and answers dialogs, the command-line tool with a host that
// writes to stderr and never blocks. The core reaches the current host through GetHost().
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tavrel {

class ModuleDialog;
// The export settings dialog's values (defined with the export, a layer above).
struct ExportSettings;

// A progress window driven by a long operation on the user-interface thread.
class Progress {
  public:
    virtual ~Progress() = default;
    virtual void SetRange(int low, int high) = 0;
    virtual void Step(int amount) = 0;
    // Lets the user interface handle what is waiting; returns nonzero once the user cancelled.
    virtual int PumpMessages() = 0;
};

// The file-save question of the processed-data export.
struct SaveFileRequest {
    std::string proposedName;      // UTF-8 file name proposed to the user
    std::string defaultExtension;  // "csv"
    std::string filter;            // "Data Files (*.csv)|*.csv|All Files (*.*)|*.*||"
};

class Host {
  public:
    virtual ~Host() = default;

    // Modal warning message box with an OK button and the application title.
    virtual void MessageBox(const std::string& utf8Text) = 0;
    // The 100 Hz / 100 ms beep of a refused or cancelled action.
    virtual void Beep() = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // A new progress window, shown until the returned object is destroyed.
    virtual std::unique_ptr<Progress> CreateProgress() = 0;
    // Runs a module's settings dialog modally; true when it ended with OK.
    virtual bool RunModuleDialog(ModuleDialog& dialog) = 0;
    // The file-save dialog; the chosen path (UTF-8) or nothing when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
    // The export settings dialog, opened with the values given; false when cancelled.
    virtual bool RunExportSettings(ExportSettings& settings) = 0;
};

// A host that shows nothing and cancels every question; the default until one is installed.
class NullHost : public Host {
  public:
    void MessageBox(const std::string&) override {}
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<Progress> CreateProgress() override;
    bool RunModuleDialog(ModuleDialog&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest&) override { return {}; }
    bool RunExportSettings(ExportSettings&) override { return false; }
};

// The current host of the calling thread (each thread has its own; the null host until one is
// installed on that thread).
Host& GetHost();
// Installs a host (not owned) for the calling thread; nullptr puts the null host back. Returns
// the previous one.
Host* SetHost(Host* host);

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
  public:
    WaitCursor() { GetHost().BeginWaitCursor(); }
    ~WaitCursor() { GetHost().EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tavrel
