#include "pipeline/ModuleRegistry.h"

#include <algorithm>
#include <array>

#include "pipeline/DialogIds.h"
#include "pipeline/DmyPipe.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

// The head's channel is set by the document (no dialog edits it); the probe's switch is the
// check box of its dialog.
constexpr std::array<ModuleField, 1> kHeadFields{{{"channel", FieldType::Int}}};
constexpr std::array<ModuleField, 1> kProbeFields{
    {WithControl(OnOffParam("probeOn", false, TAVREL_TRANSLATE_NOOP("ModuleDialogs", "有効にする")),
                 dialog_ids::probe::kEnable)}};

// The base class and the head are stored in every document but never offered; the base class
// opens the plain frame, and so does the head (which no editor lists).
constexpr std::array<ModuleClass, 3> kPipelineClasses{{
    {CModBase::kClassName,
     CModBase::kDisplayName,
     &MakeModule<CModBase>,
     kNotInCatalogue,
     dialog_ids::confirm::kTemplate,
     {}},
    {CHeadFilter::kClassName, CHeadFilter::kDisplayName, &MakeModule<CHeadFilter>, kNotInCatalogue,
     dialog_ids::confirm::kTemplate, kHeadFields},
    {CDmyPipe::kClassName, CDmyPipe::kDisplayName, &MakeModule<CDmyPipe>, 1,
     dialog_ids::probe::kTemplate, kProbeFields},
}};

}  // namespace

std::size_t OwnRecordSize(std::span<const ModuleField> fields) {
    std::size_t size = 0;
    for (const ModuleField& f : fields)
        size += f.type == FieldType::Int ? 4 : 8;
    return size;
}

std::span<const ModuleClass> PipelineModuleClasses() {
    return kPipelineClasses;
}

namespace {

std::vector<const ModuleClass*>& ClassList() {
    static std::vector<const ModuleClass*> classes = [] {
        std::vector<const ModuleClass*> all;
        for (auto table : {PipelineModuleClasses(), FilterModuleClasses(), AnalysisModuleClasses(),
                           SpectralModuleClasses()})
            for (const ModuleClass& c : table)
                all.push_back(&c);
        return all;
    }();
    return classes;
}

}  // namespace

void RegisterModuleClasses(std::span<const ModuleClass> table) {
    for (const ModuleClass& c : table)
        ClassList().push_back(&c);
}

const std::vector<const ModuleClass*>& ModuleClasses() {
    return ClassList();
}

bool HasTableDialog(const ModuleClass& c) {
    if (c.dialogTemplate == dialog_ids::generated::kTemplate) return true;
    if (c.fields.empty() || c.dialogTitle == nullptr) return false;
    return std::all_of(c.fields.begin(), c.fields.end(),
                       [](const ModuleField& f) { return f.control != 0; });
}

const ModuleClass* FindModuleClass(std::string_view className) {
    for (const ModuleClass* c : ModuleClasses()) {
        if (className == c->className) return c;
    }
    return nullptr;
}

std::string ShownModuleName(const CModBase& module) {
    const ModuleClass* c = FindModuleClass(module.GetClassName());
    if (c && c->displayName && module.m_name == c->displayName)
        return Translate("Module", c->displayName);
    return module.m_name;
}

std::vector<std::string> ModuleClassNames() {
    std::vector<std::string> names;
    for (const ModuleClass* c : ModuleClasses())
        names.emplace_back(c->className);
    return names;
}

std::vector<const ModuleClass*> CatalogueClasses() {
    std::vector<const ModuleClass*> offered;
    for (const ModuleClass* c : ModuleClasses()) {
        if (c->cataloguePosition != kNotInCatalogue) offered.push_back(c);
    }
    std::stable_sort(offered.begin(), offered.end(),
                     [](const ModuleClass* a, const ModuleClass* b) {
                         return a->cataloguePosition < b->cataloguePosition;
                     });
    return offered;
}

bool StartsCatalogueGroup(const ModuleClass& c) {
    if (c.cataloguePosition <= kMainCatalogueEntries) return false;
    for (const ModuleClass* offered : CatalogueClasses()) {
        if (offered->cataloguePosition > kMainCatalogueEntries) return offered == &c;
    }
    return false;
}

std::unique_ptr<CModBase> CreateModule(std::string_view className) {
    const ModuleClass* c = FindModuleClass(className);
    return c ? c->factory() : nullptr;
}

std::unique_ptr<CModBase> CreateModuleForArchive(const Archive::Tag& tag) {
    std::unique_ptr<CModBase> module = CreateModule(tag.className);
    if (!module) throw ArchiveError(ArchiveError::Kind::BadClass, "not a module class");
    if (tag.schema != 1) throw ArchiveError(ArchiveError::Kind::BadSchema, "bad schema");
    return module;
}

}  // namespace tavrel
