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

constexpr std::array<ModuleField, 1> kHeadFields{{{"channel", FieldType::Int}}};
constexpr std::array<ModuleField, 1> kProbeFields{{{"probeOn", FieldType::Int}}};

// The base class and the head are stored in every document but never offered; the base class
// opens the plain frame, and so does the head (which no editor lists).
const std::array<ModuleClass, 3> kPipelineClasses{{
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

const std::vector<const ModuleClass*>& ModuleClasses() {
    static const std::vector<const ModuleClass*> classes = [] {
        std::vector<const ModuleClass*> all;
        for (auto table : {PipelineModuleClasses(), FilterModuleClasses(), AnalysisModuleClasses()})
            for (const ModuleClass& c : table)
                all.push_back(&c);
        return all;
    }();
    return classes;
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
