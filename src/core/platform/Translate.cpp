#include "platform/Translate.h"

#include <atomic>

namespace tavrel {

namespace {
std::atomic<Translator> g_translator{nullptr};
}  // namespace

void SetTranslator(Translator translator) {
    g_translator.store(translator);
}

std::string Translate(const char* context, const char* text) {
    const Translator translator = g_translator.load();
    return translator ? translator(context, text) : std::string(text);
}

std::string FormatText(std::string text, std::initializer_list<std::string> arguments) {
    // One pass from the left, so that an argument holding "%2" is never replaced again.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < arguments.size()) {
            out += *(arguments.begin() + (next - '1'));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace tavrel
