// The table of module classes: one descriptor per class with everything the program keeps about
// the class beyond its own code - the class name it is stored under, the display name its
// constructor gives, its default constructor, its place in the processing-list editor's filter
// menu, the template of its settings dialog, and the own fields of its persistent record in
// stored order with the keys `tavrel-cli info` writes them under.
//
// Each folder keeps the descriptors of its classes in one table next to the classes
// (PipelineModuleClasses, FilterModuleClasses, AnalysisModuleClasses); ModuleClasses() collects
// them. The document loader and Clone create modules through it, the editor builds its catalogue
// from it, the command-line tool reads records through its field lists, and the GUI's dialog
// layouts are checked against its template ids. Adding a module class means writing the class and
// adding its descriptor to its folder's table.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Archive.h"

namespace tavrel {

class CModBase;

using ModuleFactory = std::unique_ptr<CModBase> (*)();

template <class T>
std::unique_ptr<CModBase> MakeModule() {
    return std::make_unique<T>();
}

enum class FieldType { Int, Double };

// One own field of a module record: the key `info` names it by (the member name without m_) and
// whether it is stored as a 4-byte int or an 8-byte double.
struct ModuleField {
    const char* key;
    FieldType type;
};

// The size in bytes of a record of these fields.
std::size_t OwnRecordSize(std::span<const ModuleField> fields);

// The catalogue position of a class the editor does not offer.
inline constexpr int kNotInCatalogue = 0;

struct ModuleClass {
    const char* className;    // stored in document files
    const char* displayName;  // the m_name a new module gets
    ModuleFactory factory;
    int cataloguePosition;  // 1-based place in the editor's filter menu, or kNotInCatalogue
    int dialogTemplate;     // the template id EditSettings opens, 0 when it opens none
    // The fields SerializeOwn stores after the base record, in stored order (a class stores the
    // fields of its parent class first).
    std::span<const ModuleField> fields;
};

// The descriptors of each folder's classes.
std::span<const ModuleClass> PipelineModuleClasses();
std::span<const ModuleClass> FilterModuleClasses();
std::span<const ModuleClass> AnalysisModuleClasses();

// Every module class of the program.
const std::vector<const ModuleClass*>& ModuleClasses();
// The descriptor of the named class, or null for a name that is not a module class.
const ModuleClass* FindModuleClass(std::string_view className);
// The name the user reads for a module: its stored name, or - in another display language - the
// translation of its class's default name while the module still carries that name. The stored
// name itself never changes, so a document is written back byte for byte.
std::string ShownModuleName(const CModBase& module);
// The class names of every module class.
std::vector<std::string> ModuleClassNames();
// The classes the processing-list editor offers, in the order of its filter menu.
std::vector<const ModuleClass*> CatalogueClasses();

// A new module of the named class, or null for a name that is not a module class.
std::unique_ptr<CModBase> CreateModule(std::string_view className);

// Creates the module a new-object tag of a document file names; throws ArchiveError for a schema
// other than 1 or a class that is not a module class.
std::unique_ptr<CModBase> CreateModuleForArchive(const Archive::Tag& tag);

}  // namespace tavrel
