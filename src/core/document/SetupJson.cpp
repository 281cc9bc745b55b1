#include "document/SetupJson.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "document/KaisekiDoc.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModuleParams.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Json.h"
#include "platform/NumberFormat.h"

namespace tavrel {

namespace {

// ---- description -------------------------------------------------------------------------------

void AppendByteList(std::string& out, const std::vector<std::uint8_t>& list) {
    out += '[';
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        AppendJsonInt(out, list[i]);
    }
    out += ']';
}

void AppendModule(std::string& out, CModBase& module) {
    out += "{\"class\":";
    AppendJsonString(out, module.GetClassName());
    out += ",\"name\":";
    AppendJsonString(out, module.m_name);
    out += ",\"rate\":";
    AppendJsonInt(out, module.m_samplingRate);
    std::string record;
    const ModuleClass* c = FindModuleClass(module.GetClassName());
    if (auto values = ReadParams(module, &record); values && c) {
        for (std::size_t i = 0; i < values->size(); ++i) {
            out += ",\"";
            out += c->fields[i].key;
            out += "\":";
            const ParamValue& v = (*values)[i];
            if (v.type == FieldType::Int) {
                AppendJsonInt(out, v.intValue);
            } else {
                AppendJsonDouble(out, v.doubleValue);
            }
        }
    } else if (!record.empty()) {
        // A class whose layout is unknown: its own record as hexadecimal bytes.
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char ch : record) {
            hex += kHex[ch >> 4];
            hex += kHex[ch & 15];
        }
        out += ",\"record\":";
        AppendJsonString(out, hex);
    }
    out += '}';
}

// ---- building ----------------------------------------------------------------------------------

struct SetupError {
    std::string message;
};

[[noreturn]] void Refuse(const JsonValue& at, const std::string& where, const std::string& why) {
    std::string message =
        "line " + std::to_string(at.line) + ", column " + std::to_string(at.column) + ": ";
    if (!where.empty()) message += where + ": ";
    message += why;
    // The reason is one line: a key or text quoted from the file shows its control characters
    // escaped as JSON writes them.
    std::string line;
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            line += c;
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            line += "\\u00";
            line += kHex[byte >> 4];
            line += kHex[byte & 15];
        }
    }
    throw SetupError{line};
}

const char* KindName(JsonValue::Kind kind) {
    switch (kind) {
        case JsonValue::Kind::Null:
            return "null";
        case JsonValue::Kind::Bool:
            return "a boolean";
        case JsonValue::Kind::Number:
            return "a number";
        case JsonValue::Kind::String:
            return "a string";
        case JsonValue::Kind::Array:
            return "an array";
        case JsonValue::Kind::Object:
            return "an object";
    }
    return "a value";
}

void Expect(const JsonValue& v, JsonValue::Kind kind, const std::string& where,
            const std::string& key) {
    if (v.kind != kind)
        Refuse(v, where, "\"" + key + "\" must be " + KindName(kind) + ", not " + KindName(v.kind));
}

// A 32-bit int stored in the document file: a whole number, written with or without a fraction
// or exponent, within the int range. A switch may be given as true or false.
int ReadInt32(const JsonValue& v, const std::string& where, const std::string& key,
              bool allowBool = false) {
    if (allowBool && v.kind == JsonValue::Kind::Bool) return v.boolean ? 1 : 0;
    Expect(v, JsonValue::Kind::Number, where, key);
    const std::string& t = v.text;
    const bool plain = t.find_first_of(".eE") == std::string::npos;
    if (plain) {
        long long n = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec == std::errc() && end == t.data() + t.size() &&
            n >= std::numeric_limits<std::int32_t>::min() &&
            n <= std::numeric_limits<std::int32_t>::max())
            return static_cast<int>(n);
        Refuse(v, where, "\"" + key + "\" " + t + " does not fit into a 32-bit integer");
    }
    double d = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), d);
    if (ec != std::errc() || !std::isfinite(d))
        Refuse(v, where, "\"" + key + "\" " + t + " does not fit into a 32-bit integer");
    if (d != std::floor(d))
        Refuse(v, where, "\"" + key + "\" " + t + " is not a whole number (stored as an integer)");
    if (d < std::numeric_limits<std::int32_t>::min() ||
        d > std::numeric_limits<std::int32_t>::max())
        Refuse(v, where, "\"" + key + "\" " + t + " does not fit into a 32-bit integer");
    return static_cast<int>(d);
}

double ReadReal(const JsonValue& v, const std::string& where, const std::string& key) {
    if (v.kind == JsonValue::Kind::Null)
        Refuse(v, where, "\"" + key + "\" must be a finite number, not null");
    Expect(v, JsonValue::Kind::Number, where, key);
    double d = 0;
    const auto [end, ec] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), d);
    if (ec != std::errc() || !std::isfinite(d))
        Refuse(v, where, "\"" + key + "\" " + v.text + " is not a finite double");
    return d;
}

std::vector<std::uint8_t> ReadByteList(const JsonValue& v, const std::string& key,
                                       std::vector<std::uint8_t> defaults) {
    Expect(v, JsonValue::Kind::Array, "", key);
    if (v.items.size() > defaults.size())
        Refuse(v, "",
               "\"" + key + "\" has more than " + std::to_string(defaults.size()) + " entries");
    for (std::size_t i = 0; i < v.items.size(); ++i) {
        const std::string entry = key + "[" + std::to_string(i) + "]";
        const int n = ReadInt32(v.items[i], "", entry);
        if (n < 0 || n > 255) Refuse(v.items[i], "", "\"" + entry + "\" must be 0 to 255");
        defaults[i] = static_cast<std::uint8_t>(n);
    }
    return defaults;
}

std::unique_ptr<CModBase> BuildModule(const JsonValue& v, int chain, int position,
                                      std::vector<std::string>& warnings) {
    std::string where =
        "chain " + std::to_string(chain + 1) + ", module " + std::to_string(position + 1);
    Expect(v, JsonValue::Kind::Object, where, "module");
    const JsonValue* cls = v.Find("class");
    if (!cls) Refuse(v, where, "\"class\" is missing");
    Expect(*cls, JsonValue::Kind::String, where, "class");
    const ModuleClass* c = FindModuleClass(cls->text);
    if (!c) Refuse(*cls, where, "unknown class \"" + cls->text + "\"");
    where += " (" + cls->text + ")";
    const bool isHead = cls->text == CHeadFilter::kClassName;
    if (position == 0 && !isHead) Refuse(*cls, where, "a chain must start with CHeadFilter");

    std::unique_ptr<CModBase> module = c->factory();
    std::vector<ParamValue> values = DefaultParams(c->fields);
    if (isHead && !values.empty()) values[0].intValue = chain;
    for (const auto& [key, value] : v.members) {
        if (key == "class") continue;
        if (key == "name") {
            Expect(value, JsonValue::Kind::String, where, key);
            module->m_name = value.text;
            continue;
        }
        if (key == "rate") {
            module->m_samplingRate = ReadInt32(value, where, key);
            continue;
        }
        std::size_t i = 0;
        while (i < c->fields.size() && key != c->fields[i].key)
            ++i;
        if (i == c->fields.size()) Refuse(value, where, "unknown key \"" + key + "\"");
        const ModuleField& f = c->fields[i];
        if (f.type == FieldType::Int) {
            values[i].intValue = ReadInt32(value, where, key, f.kind == ParamKind::OnOff);
        } else {
            values[i].doubleValue = ReadReal(value, where, key);
        }
        if (!InAcceptedRange(f, values[i].AsDouble())) {
            warnings.push_back(where + ": \"" + key + "\" " + FormatG(values[i].AsDouble(), 17) +
                               " is outside the range its dialog accepts (" + AcceptedRangeText(f) +
                               "); written as given");
        }
    }
    if (!WriteParams(*module, values))
        Refuse(v, where, "the class's record does not match its descriptor");
    return module;
}

HeadPtr BuildChain(const JsonValue& v, int chain, std::vector<std::string>& warnings) {
    const std::string where = "chain " + std::to_string(chain + 1);
    Expect(v, JsonValue::Kind::Array, where, "chains[" + std::to_string(chain) + "]");
    // An empty list is a channel without a chain, as a document file may hold it.
    if (v.items.empty()) return nullptr;
    HeadPtr head;
    CModBase* last = nullptr;
    for (std::size_t i = 0; i < v.items.size(); ++i) {
        std::unique_ptr<CModBase> module =
            BuildModule(v.items[i], chain, static_cast<int>(i), warnings);
        if (!head) {
            head.reset(static_cast<CHeadFilter*>(module.release()));
            last = head.get();
        } else {
            last = CModBase::AppendModule(last, module.release());
        }
    }
    return head;
}

void BuildDocument(const JsonValue& root, CKaisekiDoc& doc, std::vector<std::string>& warnings) {
    Expect(root, JsonValue::Kind::Object, "", "the set-up");
    doc.OnNewDocument();
    for (const auto& [key, value] : root.members) {
        if (key == "enabled") {
            doc.m_channelEnabled = ReadByteList(value, key, doc.m_channelEnabled);
        } else if (key == "sources") {
            doc.m_channelSource = ReadByteList(value, key, doc.m_channelSource);
        } else if (key == "dataFile") {
            Expect(value, JsonValue::Kind::String, "", key);
            doc.m_dataFilePath = value.text;
        } else if (key == "headerRows") {
            doc.m_headerRows = ReadInt32(value, "", key);
        } else if (key == "skipColumns") {
            doc.m_skipColumns = ReadInt32(value, "", key);
        } else if (key == "chains") {
            Expect(value, JsonValue::Kind::Array, "", key);
            if (value.items.size() > static_cast<std::size_t>(CKaisekiDoc::kChannels))
                Refuse(value, "", "more than 16 chains");
            for (std::size_t i = 0; i < value.items.size(); ++i)
                doc.m_chains[i] = BuildChain(value.items[i], static_cast<int>(i), warnings);
        } else {
            Refuse(value, "", "unknown key \"" + key + "\"");
        }
    }
}

}  // namespace

std::string DescribeSetup(CKaisekiDoc& doc) {
    std::string out = "{\"enabled\":";
    AppendByteList(out, doc.m_channelEnabled);
    out += ",\"sources\":";
    AppendByteList(out, doc.m_channelSource);
    out += ",\"dataFile\":";
    AppendJsonString(out, doc.m_dataFilePath);
    out += ",\"headerRows\":";
    AppendJsonInt(out, doc.m_headerRows);
    out += ",\"skipColumns\":";
    AppendJsonInt(out, doc.m_skipColumns);
    out += ",\"chains\":[";
    for (int channel = 0; channel < CKaisekiDoc::kChannels; ++channel) {
        if (channel) out += ',';
        out += '[';
        // A walk, never a recursion: a stored chain may be very long.
        int n = 0;
        for (CModBase* m = doc.Head(channel); m; m = m->m_next, ++n) {
            if (n) out += ',';
            AppendModule(out, *m);
        }
        out += ']';
    }
    out += "]}\n";
    return out;
}

SetupBuild BuildSetupDocument(std::string_view json) {
    SetupBuild result;
    JsonError error;
    const std::optional<JsonValue> root = ParseJson(json, &error);
    if (!root) {
        result.error = "line " + std::to_string(error.line) + ", column " +
                       std::to_string(error.column) + ": invalid JSON: " + error.message;
        return result;
    }
    try {
        CKaisekiDoc doc;
        BuildDocument(*root, doc, result.warnings);
        result.bytes = doc.SaveToBytes();
        result.ok = true;
    } catch (const SetupError& failure) {
        result.error = failure.message;
        result.warnings.clear();
    }
    return result;
}

}  // namespace tavrel
