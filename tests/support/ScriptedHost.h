// A host for tests: records messages, beeps and wait-cursor calls, and answers every question
// from a script set up by the test.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pipeline/ModuleDialog.h"
#include "platform/Host.h"

namespace tavrel::test {

class ScriptedHost : public Host {
  public:
    ScriptedHost();
    ~ScriptedHost() override;

    void MessageBox(const std::string& utf8Text) override {
        messages.push_back(utf8Text);
        messageThreads.push_back(std::this_thread::get_id());
    }
    void Beep() override { ++beeps; }
    void BeginWaitCursor() override {
        ++waitDepth;
        ++waitCursors;
    }
    void EndWaitCursor() override { --waitDepth; }
    std::unique_ptr<Progress> CreateProgress() override;
    bool RunModuleDialog(ModuleDialog& dialog) override;
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
    bool RunExportSettings(ExportSettings& settings) override;

    // Module dialogs: the script plays the user and returns true for OK. Without a script the
    // dialog is cancelled. The dialog seen last is kept for inspection of what it opened with.
    std::function<bool(ModuleDialog&)> dialogScript;
    // Progress: after this many PumpMessages calls the user cancels (negative: never).
    int cancelAfterPumps = -1;
    // Export questions.
    std::optional<std::string> saveFileAnswer;
    std::function<bool(ExportSettings&)> exportScript;

    std::vector<std::string> messages;
    // The thread each message was shown on.
    std::vector<std::thread::id> messageThreads;
    std::vector<SaveFileRequest> saveRequests;
    int beeps = 0;
    int waitDepth = 0;
    int waitCursors = 0;
    int dialogsRun = 0;
    int pumps = 0;
    std::vector<std::pair<int, int>> progressRanges;
    std::vector<int> progressSteps;
    // The bar as the progress window shows it: the position after each advance, batched by the
    // window's own counting (a step advances the bar only past a hundredth of the range).
    std::vector<int> progressPositions;

  private:
    Host* m_previous;
};

// Plays the user of a dialog: sets texts, then presses OK, running the dialog's validation like
// the GUI does. Returns whether the dialog accepted.
bool PressOk(ModuleDialog& dialog);

}  // namespace tavrel::test
