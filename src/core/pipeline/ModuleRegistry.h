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
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
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

// What a parameter is to the user: a whole number, a real number, a switch (stored 0 / 1) or one
// of named options (stored as the option's index).
enum class ParamKind { Integer, Real, OnOff, Choice };

// Where the accepted range of a parameter comes from: fixed numbers (low and high), the data the
// module works on (its rate or the recording's length; the dialog computes it, so a set-up
// without data is not checked), or nowhere (no dialog edits the field).
enum class ParamLimits { Fixed, FromData, None };

// The part a parameter plays beyond its value: the start or the end (in milliseconds) of the time
// range that a drag in the settings dialog's preview picks.
enum class ParamRole { Value, RangeStartMs, RangeEndMs };

// One own field of a module record and the parameter it is to the user: the key `info` names it
// by (the member name without m_), whether it is stored as a 4-byte int or an 8-byte double, its
// kind, the range its dialog accepts, the value a new module has, its caption and unit (source
// texts of the translation in the "ModuleDialogs" context, null for none), and for a choice its
// options in stored order.
struct ModuleField {
    const char* key;
    FieldType type;
    ParamKind kind = ParamKind::Integer;
    ParamLimits limits = ParamLimits::None;
    double low = 0.0;
    double high = 0.0;
    double defaultValue = 0.0;
    const char* caption = nullptr;
    const char* unit = nullptr;
    std::span<const char* const> choices = {};
    ParamRole role = ParamRole::Value;
    // The id of the control that shows the field in a dialog laid out by hand; 0 in a generated
    // dialog, which numbers its rows itself.
    int control = 0;
    // For a range that follows the data: the range a generated dialog accepts for this module
    // (null: low to high).
    std::pair<double, double> (*rangeFor)(const CModBase& module) = nullptr;
};

// Descriptor helpers for the four kinds of parameter, stored as the kind suggests (a choice and a
// switch as an int).
constexpr ModuleField IntParam(const char* key, double low, double high, double defaultValue,
                               const char* caption, const char* unit = nullptr) {
    return {key, FieldType::Int, ParamKind::Integer, ParamLimits::Fixed,
            low, high,           defaultValue,       caption,
            unit};
}
constexpr ModuleField RealParam(const char* key, double low, double high, double defaultValue,
                                const char* caption, const char* unit = nullptr) {
    return {key,
            FieldType::Double,
            ParamKind::Real,
            ParamLimits::Fixed,
            low,
            high,
            defaultValue,
            caption,
            unit};
}
constexpr ModuleField OnOffParam(const char* key, bool defaultValue, const char* caption) {
    return {key, FieldType::Int,           ParamKind::OnOff, ParamLimits::Fixed, 0.0,
            1.0, defaultValue ? 1.0 : 0.0, caption};
}
constexpr ModuleField ChoiceParam(const char* key, std::span<const char* const> options,
                                  int defaultIndex, const char* caption) {
    return {key,
            FieldType::Int,
            ParamKind::Choice,
            ParamLimits::Fixed,
            0.0,
            static_cast<double>(options.size()) - 1.0,
            static_cast<double>(defaultIndex),
            caption,
            nullptr,
            options};
}
// The start and end (ms) of a time range that a drag in the preview picks; the range a dialog
// accepts follows the data.
constexpr ModuleField TimeRangeParam(const char* key, ParamRole role, double defaultValue,
                                     const char* caption) {
    return {key,
            FieldType::Int,
            ParamKind::Integer,
            ParamLimits::FromData,
            0.0,
            2147483647.0,
            defaultValue,
            caption,
            "ms",
            {},
            role};
}

// A field shown by the given control of a dialog laid out by hand.
constexpr ModuleField WithControl(ModuleField field, int control) {
    field.control = control;
    return field;
}
// A field whose accepted range follows the data (low and high are the widest it can be).
constexpr ModuleField FollowingData(ModuleField field) {
    field.limits = ParamLimits::FromData;
    return field;
}

struct ParamValue;

// A check across the fields of a set-up beyond each field's own range (a band's low edge below its
// high edge, an edge below half the module's rate, a reference that is not 0): the field the
// dialog refuses and the message (a source text of the "ModuleDialogs" context).
struct ParamRefusal {
    std::size_t field = 0;
    const char* message = nullptr;
};
using ParamCheck = std::optional<ParamRefusal> (*)(CModBase& module,
                                                   std::span<const ParamValue> values);

// The size in bytes of a record of these fields.
std::size_t OwnRecordSize(std::span<const ModuleField> fields);

// The catalogue position of a class the editor does not offer.
inline constexpr int kNotInCatalogue = 0;
// The editor's catalogue: the twelve classes at the places 1 to 12, then a separator, then the
// classes placed after it (first by their place, then in the order of the tables).
inline constexpr int kMainCatalogueEntries = 12;
inline constexpr int kAfterSeparator = 1000;

struct ModuleClass {
    const char* className;    // stored in document files
    const char* displayName;  // the m_name a new module gets
    ModuleFactory factory;
    int cataloguePosition;  // 1-based place in the editor's filter menu, or kNotInCatalogue
    // The template id EditSettings opens, 0 when it opens none; dialog_ids::generated::kTemplate
    // for the dialog laid out from the fields.
    int dialogTemplate;
    // The fields SerializeOwn stores after the base record, in stored order (a class stores the
    // fields of its parent class first).
    std::span<const ModuleField> fields;
    // The title of the dialog the base class's EditSettings builds from the fields (a source text
    // of the "ModuleDialog" context); null: the class's display name.
    const char* dialogTitle = nullptr;
    // The generated dialog's check across the fields, after every field passed its range (null:
    // none).
    ParamCheck check = nullptr;
};

// Whether the base class's settings dialog is the one fed by the class's fields (CParamDlg):
// the generated template, or a template laid out by hand whose fields name their controls.
bool HasTableDialog(const ModuleClass& c);

// The descriptors of each folder's classes.
std::span<const ModuleClass> PipelineModuleClasses();
std::span<const ModuleClass> FilterModuleClasses();
std::span<const ModuleClass> AnalysisModuleClasses();
// The spectral analysis classes (the frequency trend, the power spectrum view).
std::span<const ModuleClass> SpectralModuleClasses();

// Adds a table of module classes after the program's own (for classes defined outside the
// folders, such as a test's); call it before any module is created, on one thread.
void RegisterModuleClasses(std::span<const ModuleClass> table);

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
// Whether the editor shows a separator in front of this class's entry: the first class after the
// twelve.
bool StartsCatalogueGroup(const ModuleClass& c);

// A new module of the named class, or null for a name that is not a module class.
std::unique_ptr<CModBase> CreateModule(std::string_view className);

// Creates the module a new-object tag of a document file names; throws ArchiveError for a schema
// other than 1 or a class that is not a module class.
std::unique_ptr<CModBase> CreateModuleForArchive(const Archive::Tag& tag);

}  // namespace tavrel
