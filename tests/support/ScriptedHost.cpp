#include "support/ScriptedHost.h"

#include "pipeline/ProgressCounter.h"

namespace tavrel::test {

namespace {

class ScriptedProgress : public Progress {
  public:
    explicit ScriptedProgress(ScriptedHost& host) : m_host(host) {}
    void SetRange(int low, int high) override {
        m_host.progressRanges.emplace_back(low, high);
        m_counter.SetRange(low, high);
    }
    void Step(int amount) override {
        m_host.progressSteps.push_back(amount);
        if (m_counter.Step(amount)) m_host.progressPositions.push_back(m_counter.Position());
    }
    int PumpMessages() override {
        ++m_host.pumps;
        return m_host.cancelAfterPumps >= 0 && m_host.pumps > m_host.cancelAfterPumps;
    }

  private:
    ScriptedHost& m_host;
    ProgressCounter m_counter;
};

}  // namespace

ScriptedHost::ScriptedHost() : m_previous(SetHost(this)) {}

ScriptedHost::~ScriptedHost() {
    SetHost(m_previous);
}

std::unique_ptr<Progress> ScriptedHost::CreateProgress() {
    return std::make_unique<ScriptedProgress>(*this);
}

bool ScriptedHost::RunModuleDialog(ModuleDialog& dialog) {
    ++dialogsRun;
    if (!dialogScript) return false;
    return dialogScript(dialog);
}

std::optional<std::string> ScriptedHost::ChooseSaveFile(const SaveFileRequest& request) {
    saveRequests.push_back(request);
    return saveFileAnswer;
}

bool ScriptedHost::RunExportSettings(ExportSettings& settings) {
    if (!exportScript) return false;
    return exportScript(settings);
}

bool PressOk(ModuleDialog& dialog) {
    return dialog.Validate().ok;
}

}  // namespace tavrel::test
