// Texts the user reads, passed through the program's translation. The core writes its messages,
// dialog titles and module names in Japanese; the GUI installs a translator when another display
// language is chosen, while the command-line tool and the tests keep the identity, so by default
// every text is the Japanese literal, byte for byte.
//
// Translate(context, text) and TAVREL_TRANSLATE_NOOP(context, text) are the markers the
// translation tools look for (they are told to read them as Qt's translate and
// QT_TRANSLATE_NOOP), so every literal passed to them lands in the translation file.
#pragma once

#include <initializer_list>
#include <string>

// Marks a literal for translation where it is only stored (tables, class constants); the place
// that shows it calls Translate with the same context.
#define TAVREL_TRANSLATE_NOOP(context, text) text

namespace tavrel {

// A translator: the translation of `text` (UTF-8) in `context`, or `text` itself.
using Translator = std::string (*)(const char* context, const char* text);

// Installs the translator (nullptr for none). Set once at start-up, before any other thread runs.
void SetTranslator(Translator translator);

// The translation of `text` in `context` by the installed translator; `text` itself without one.
std::string Translate(const char* context, const char* text);

// `text` with "%1", "%2", ... replaced by the arguments in order (a translation may move them).
std::string FormatText(std::string text, std::initializer_list<std::string> arguments);

}  // namespace tavrel
