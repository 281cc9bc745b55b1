// The table of module classes against the classes it describes: every descriptor creates its own
// class under its display name and opens its own dialog template, the registry, Clone and the
// catalogue go through the table, and every field list lays out exactly the record that the
// class's SerializeOwn stores.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <string>

#include "pipeline/ModBase.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

// A record laid out by the field list with values no default has: whole numbers 1000k + f + 1
// and doubles k + (f + 1) / 8 (exact in binary).
std::string RecordOf(std::span<const ModuleField> fields, int k) {
    Archive record;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (fields[f].type == FieldType::Int) {
            record.WriteInt(1000 * k + static_cast<int>(f) + 1);
        } else {
            record.WriteDouble(k + static_cast<double>(f + 1) / 8.0);
        }
    }
    return record.Bytes();
}

std::string OwnRecord(CModBase& module) {
    Archive out;
    module.SerializeOwn(out);
    return out.Bytes();
}

TEST(ModuleClasses, EachDescriptorIsTheClassTheRegistryCloneAndDialogsUse) {
    ScriptedHost host;
    int templateShown = 0;
    host.dialogScript = [&](ModuleDialog& d) {
        templateShown = d.TemplateId();
        return false;
    };
    std::set<std::string> names;
    for (const ModuleClass* c : ModuleClasses()) {
        SCOPED_TRACE(c->className);
        EXPECT_TRUE(names.insert(c->className).second) << "listed twice";
        std::unique_ptr<CModBase> module = c->factory();
        ASSERT_TRUE(module);
        EXPECT_STREQ(module->GetClassName(), c->className);
        EXPECT_EQ(module->m_name, c->displayName);
        EXPECT_EQ(FindModuleClass(c->className), c);
        std::unique_ptr<CModBase> created = CreateModule(c->className);
        ASSERT_TRUE(created);
        EXPECT_STREQ(created->GetClassName(), c->className);

        // Settings opens the template the table names (0: no dialog at all).
        templateShown = 0;
        const int before = host.dialogsRun;
        EXPECT_EQ(module->EditSettings(), 0);
        EXPECT_EQ(host.dialogsRun - before, c->dialogTemplate != 0 ? 1 : 0);
        EXPECT_EQ(templateShown, c->dialogTemplate);
    }
    EXPECT_EQ(CreateModule("CNoSuchFilter"), nullptr);

    // The catalogue: the classes at the menu places 1 to 12, then - after the separator - the
    // two detectors and every class placed after them, each class of the table with a place
    // exactly once.
    const std::vector<const ModuleClass*> offered = CatalogueClasses();
    std::size_t placed = 0;
    for (const ModuleClass* c : ModuleClasses())
        placed += c->cataloguePosition != kNotInCatalogue;
    ASSERT_EQ(offered.size(), placed);
    ASSERT_GT(offered.size(), static_cast<std::size_t>(kMainCatalogueEntries) + 1);
    for (int i = 0; i < kMainCatalogueEntries; ++i)
        EXPECT_EQ(offered[static_cast<std::size_t>(i)]->cataloguePosition, i + 1);
    EXPECT_STREQ(offered[kMainCatalogueEntries]->className, "CAActDetFilter");
    EXPECT_STREQ(offered[kMainCatalogueEntries + 1]->className, "CSDActDetFilter");
    for (const ModuleClass* c : offered)
        EXPECT_EQ(StartsCatalogueGroup(*c), c == offered[kMainCatalogueEntries]) << c->className;
}

// Each field's descriptor is the parameter the class has: the default is what a new module
// holds, a fixed range contains it, a choice has an option per stored value, and a field that
// names a control is shown by that control in the class's own template.
TEST(ModuleClasses, ParameterDescriptorsMatchNewModules) {
    for (const ModuleClass* c : ModuleClasses()) {
        SCOPED_TRACE(c->className);
        std::unique_ptr<CModBase> module = c->factory();
        const std::string record = OwnRecord(*module);
        Archive decode(record);
        for (const ModuleField& field : c->fields) {
            SCOPED_TRACE(field.key);
            const double stored =
                field.type == FieldType::Int ? decode.ReadInt() : decode.ReadDouble();
            // The head's channel is set by the document.
            if (std::string_view(c->className) != "CHeadFilter") {
                EXPECT_EQ(stored, field.defaultValue);
            }
            if (field.limits == ParamLimits::Fixed) {
                EXPECT_LE(field.low, field.defaultValue);
                EXPECT_GE(field.high, field.defaultValue);
            }
            if (field.kind == ParamKind::Choice) {
                EXPECT_EQ(field.high + 1, static_cast<double>(field.choices.size()));
            }
            if (field.kind == ParamKind::OnOff || field.kind == ParamKind::Choice) {
                EXPECT_EQ(field.type, FieldType::Int);
            }
        }
    }
}

TEST(ModuleClasses, FieldListsLayOutExactlyTheStoredRecords) {
    int k = 0;
    for (const ModuleClass* c : ModuleClasses()) {
        SCOPED_TRACE(c->className);
        ++k;
        std::unique_ptr<CModBase> module = c->factory();
        // The record of a new module has the size of the list, and its defaults decoded through
        // the list are plausible: an int read from a double's bytes (or the other way round)
        // gives a huge number or a subnormal. (Ranges that run to the end of the data hold the
        // largest int.)
        const std::string defaults = OwnRecord(*module);
        ASSERT_EQ(defaults.size(), OwnRecordSize(c->fields));
        Archive decode(defaults);
        for (const ModuleField& field : c->fields) {
            if (field.type == FieldType::Int) {
                const int v = decode.ReadInt();
                EXPECT_TRUE(std::abs(static_cast<long long>(v)) <= 1000000 || v == INT_MAX)
                    << field.key;
            } else {
                const double v = decode.ReadDouble();
                EXPECT_TRUE(v == 0.0 || (std::isnormal(v) && std::abs(v) < 1e6)) << field.key;
            }
        }

        // A record of distinctive values laid out by the list is read whole and stored again
        // byte for byte, by the module and by its clone.
        const std::string record = RecordOf(c->fields, k);
        Archive load(record);
        module->SerializeOwn(load);
        EXPECT_EQ(load.Remaining(), 0u);
        EXPECT_EQ(OwnRecord(*module), record);
        std::unique_ptr<CModBase> clone = module->Clone();
        ASSERT_TRUE(clone);
        EXPECT_EQ(OwnRecord(*clone), record);
    }
}

}  // namespace
}  // namespace tavrel::test
