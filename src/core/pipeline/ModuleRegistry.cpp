#include "pipeline/ModuleRegistry.h"

#include "pipeline/DmyPipe.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModBase.h"

namespace tavrel {

void ModuleRegistry::Add(std::string_view className, ModuleFactory factory) {
    m_classes.emplace_back(std::string(className), factory);
}

std::unique_ptr<CModBase> ModuleRegistry::Create(std::string_view className) const {
    for (const auto& [name, factory] : m_classes) {
        if (name == className) return factory();
    }
    return nullptr;
}

std::vector<std::string> ModuleRegistry::ClassNames() const {
    std::vector<std::string> names;
    for (const auto& entry : m_classes) names.push_back(entry.first);
    return names;
}

const ModuleRegistry& Modules() {
    static const ModuleRegistry registry = [] {
        ModuleRegistry r;
        RegisterPipelineModules(r);
        RegisterFilterModules(r);
        RegisterAnalysisModules(r);
        return r;
    }();
    return registry;
}

std::unique_ptr<CModBase> CreateModule(std::string_view className) {
    return Modules().Create(className);
}

std::unique_ptr<CModBase> CreateModuleForArchive(const Archive::Tag& tag) {
    std::unique_ptr<CModBase> module = CreateModule(tag.className);
    if (!module) throw ArchiveError(ArchiveError::Kind::BadClass, "not a module class");
    if (tag.schema != 1) throw ArchiveError(ArchiveError::Kind::BadSchema, "bad schema");
    return module;
}

void RegisterPipelineModules(ModuleRegistry& registry) {
    registry.Add(CModBase::kClassName, &MakeModule<CModBase>);
    registry.Add(CHeadFilter::kClassName, &MakeModule<CHeadFilter>);
    registry.Add(CDmyPipe::kClassName, &MakeModule<CDmyPipe>);
}

}  // namespace tavrel
