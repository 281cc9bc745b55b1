#include "pipeline/ChainEdit.h"

#include <algorithm>

#include "pipeline/ModuleRegistry.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

// Takes the module at `position` out of the chain and hands it to the caller.
std::unique_ptr<CModBase> Unlink(CModBase* head, int position) {
    std::unique_ptr<CModBase> module(CModBase::ModuleAt(head, position));
    if (module) CModBase::RemoveModuleAt(head, position);
    return module;
}

}  // namespace

HeadPtr CopyChain(const CHeadFilter* head) {
    if (!head) return nullptr;
    std::unique_ptr<CModBase> headClone = head->Clone();
    auto* copiedHead = dynamic_cast<CHeadFilter*>(headClone.get());
    if (!copiedHead) return nullptr;
    headClone.release();
    HeadPtr copy(copiedHead);
    ReplaceDownstream(copy.get(), head);
    return copy;
}

void ReplaceDownstream(CHeadFilter* head, const CHeadFilter* source) {
    if (!head) return;
    head->DeleteDownstream();
    if (!source) return;
    for (const CModBase* m = source->m_next; m; m = m->m_next) {
        // Every module of a chain is of a registered class; one that is not cannot be copied.
        if (std::unique_ptr<CModBase> clone = m->Clone())
            CModBase::AppendModule(head, clone.release());
    }
}

// ---- the processing-list editor ------------------------------------------------------------

ChainEdit::ChainEdit(CHeadFilter* head, const std::vector<const char*>& catalogueClasses)
    : m_head(head) {
    for (const char* name : catalogueClasses) {
        if (std::unique_ptr<CModBase> prototype = CreateModule(name))
            m_catalogue.push_back(std::move(prototype));
    }
}

ChainEdit::~ChainEdit() = default;

std::vector<std::string> ChainEdit::EntryNames() const {
    std::vector<std::string> names;
    for (const CModBase* m = m_head ? m_head->m_next : nullptr; m; m = m->m_next)
        names.push_back(ShownModuleName(*m));
    return names;
}

std::string ChainEdit::EntryName(int entry) const {
    const CModBase* module = entry >= 0 ? CModBase::ModuleAt(m_head, entry + 1) : nullptr;
    return module ? ShownModuleName(*module) : std::string();
}

int ChainEdit::Place(int item, int position) {
    if (!m_head || item < 0 || item >= static_cast<int>(m_catalogue.size())) return -1;
    std::unique_ptr<CModBase> module = m_catalogue[static_cast<std::size_t>(item)]->Clone();
    if (!module) return -1;
    // From here the chain owns the module and deletes it from its head. Position 0 would be the
    // head's: the new module then goes to the end.
    CModBase* placed = module.release();
    if (position < 1) {
        CModBase::AppendModule(m_head, placed);
    } else {
        CModBase::InsertModuleAt(m_head, position, placed);
    }
    int entry = 0;
    for (const CModBase* m = m_head->m_next; m != placed; m = m->m_next)
        ++entry;
    return entry;
}

int ChainEdit::Add(int item, int selected) {
    // After the selected entry: in front of the module after it, or at the end.
    return Place(item, selected < 0 ? -1 : selected + 2);
}

int ChainEdit::Insert(int item, int selected) {
    return Place(item, selected < 0 ? -1 : selected + 1);
}

bool ChainEdit::Delete(int selected) {
    if (!m_head || selected < 0) return false;
    return Unlink(m_head, selected + 1) != nullptr;
}

ChainEdit::ChangeResult ChainEdit::Change(int selected) {
    if (!m_head || selected < 0) return ChangeResult::NoEntry;
    const int position = selected + 1;
    CModBase* module = CModBase::ModuleAt(m_head, position);
    // The backup restores the settings in force before the dialog if the user cancels; without
    // one nothing could be restored, so the dialog does not open.
    std::unique_ptr<CModBase> backup = module ? module->Clone() : nullptr;
    if (!backup) {
        GetHost().MessageBox(Translate("Document", "メモリが不足しています。"));
        return ChangeResult::NoModule;
    }

    // The module keeps its input while the dialog is open, so that every paint of the preview
    // recomputes its output with the settings being edited.
    module->m_editing = 1;
    {
        WaitCursor wait;
        module->PullInput();
    }
    // The preview shows the module's own output even when the main window shows probe data.
    ChainContext* context = module->m_doc;
    const int probeDisplay = context ? context->Display().m_probeDisplay : 0;
    if (probeDisplay) context->Display().m_probeDisplay = 0;

    ChangeResult result;
    if (module->EditSettings() == 1) {
        module->m_editing = 0;
        // The changed settings take effect at the next draw of this module and those after it.
        module->ClearBuffers();
        result = ChangeResult::Accepted;
    } else {
        // The edited module leaves the chain and is deleted; the backup carries the same name.
        std::unique_ptr<CModBase> edited(module);
        CModBase::ReplaceModuleAt(m_head, position, backup.release());
        result = ChangeResult::Cancelled;
    }
    if (probeDisplay) context->Display().m_probeDisplay = probeDisplay;
    return result;
}

}  // namespace tavrel
