// The registry of module classes: class name -> default constructor. The document loader creates
// stored modules through it and Clone makes new objects of a module's own class.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Archive.h"

namespace tavrel {

class CModBase;

using ModuleFactory = std::unique_ptr<CModBase> (*)();

class ModuleRegistry {
public:
    void Add(std::string_view className, ModuleFactory factory);
    std::unique_ptr<CModBase> Create(std::string_view className) const;
    std::vector<std::string> ClassNames() const;

private:
    std::vector<std::pair<std::string, ModuleFactory>> m_classes;
};

template <class T>
std::unique_ptr<CModBase> MakeModule() {
    return std::make_unique<T>();
}

// The registry holding every module class of the program.
const ModuleRegistry& Modules();

// A new module of the named class, or null for a name that is not a module class.
std::unique_ptr<CModBase> CreateModule(std::string_view className);

// Creates the module a new-object tag of a document file names; throws ArchiveError for a schema
// other than 1 or a class that is not a module class.
std::unique_ptr<CModBase> CreateModuleForArchive(const Archive::Tag& tag);

// Registration of the module classes of each folder (called once by Modules()).
void RegisterPipelineModules(ModuleRegistry& registry);
void RegisterFilterModules(ModuleRegistry& registry);
void RegisterAnalysisModules(ModuleRegistry& registry);

}  // namespace tavrel
