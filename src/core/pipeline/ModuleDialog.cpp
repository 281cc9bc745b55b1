#include "pipeline/ModuleDialog.h"

#include <cerrno>
#include <charconv>
#include <cmath>

#include "platform/Host.h"
#include "platform/NumberFormat.h"
#include "platform/Translate.h"

namespace tavrel {

ModuleDialog::ModuleDialog(CModBase& module, int templateId, std::string title, bool hasApply)
    : m_module(module), m_templateId(templateId), m_title(std::move(title)), m_hasApply(hasApply) {}

ModuleDialog::~ModuleDialog() = default;

std::string ModuleDialog::Text(int id) const {
    auto it = m_texts.find(id);
    return it == m_texts.end() ? std::string() : it->second;
}

void ModuleDialog::SetText(int id, std::string text) {
    m_texts[id] = std::move(text);
}

int ModuleDialog::Check(int id) const {
    auto it = m_checks.find(id);
    return it == m_checks.end() ? 0 : it->second;
}

void ModuleDialog::SetCheck(int id, int state) {
    m_checks[id] = state;
}

bool ModuleDialog::IsEnabled(int id) const {
    auto it = m_enabled.find(id);
    return it == m_enabled.end() ? true : it->second;
}

void ModuleDialog::Enable(int id, bool enabled) {
    m_enabled[id] = enabled;
}

void ModuleDialog::OnClicked(int) {}
DialogCheck ModuleDialog::Apply() {
    return {};
}
DialogCheck ModuleDialog::Validate() {
    return {};
}
void ModuleDialog::Commit() {}
void ModuleDialog::OnRangeSelected(int, int) {}

namespace {

std::string_view Trim(std::string_view s) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string IntRangeMessage(long long low, long long high) {
    return FormatText(Translate("ModuleDialog", "%1 から %2 までの整数を入力してください。"),
                      {std::to_string(low), std::to_string(high)});
}

std::string NumberRangeMessage(double low, double high) {
    return FormatText(Translate("ModuleDialog", "%1 から %2 までの数値を入力してください。"),
                      {FormatG(low, 15), FormatG(high, 15)});
}

std::string TextLengthMessage(std::size_t maxChars) {
    return FormatText(Translate("ModuleDialog", "%1 文字以内で入力してください。"),
                      {std::to_string(maxChars)});
}

DialogCheck ModuleDialog::ReadInt(int id, long long low, long long high, long long& value) const {
    std::string text = Text(id);
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    long long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < low || v > high)
        return DialogCheck::Refuse(id, IntRangeMessage(low, high));
    value = v;
    return {};
}

DialogCheck ModuleDialog::ReadNumber(int id, double low, double high, double& value) const {
    std::string text = Text(id);
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v) ||
        v < low || v > high)
        return DialogCheck::Refuse(id, NumberRangeMessage(low, high));
    value = v;
    return {};
}

DialogCheck ModuleDialog::ReadText(int id, std::size_t maxChars, std::string& value) const {
    std::string text = Text(id);
    // Characters, not bytes: count UTF-8 lead bytes.
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80;
    if (chars > maxChars) return DialogCheck::Refuse(id, TextLengthMessage(maxChars));
    value = std::move(text);
    return {};
}

int RunModuleDialog(ModuleDialog& dialog) {
    if (!GetHost().RunModuleDialog(dialog)) return 0;
    if (!dialog.Validate().ok) return 0;
    dialog.Commit();
    return 1;
}

}  // namespace tavrel
