// The display language of the program's windows. Japanese is the language the program is written
// in: with it no translation is loaded and every text is the literal in the code. English loads
// the translation compiled into the program (translations/tavrel_en.ts) for the Qt texts and
// installs it as the core's translator, so the core's messages, dialog titles and module names
// follow too. The choice is stored per user and takes effect at the next start; the environment
// variable TAVREL_LANG (ja or en) overrides it for one run.
#pragma once

#include <QString>

namespace tavrel::qt {

enum class Language { Japanese, English };

// The translation of `text` (UTF-8) in `context`: the text the user reads.
QString Tr(const char* context, const char* text);

// The stored choice (QSettings "Options/Language": "ja" or "en"; Japanese when unset or unknown).
Language StoredLanguage();
void StoreLanguage(Language language);
// The language of this run: TAVREL_LANG when it is "ja" or "en", otherwise the stored choice.
Language StartupLanguage();
// Whether TAVREL_LANG chooses the language of this run (it is "ja" or "en").
bool LanguageSetByEnvironment();

// Makes `language` the language of the texts made from now on; false when its translation
// cannot be loaded (the program then stays Japanese). Windows already open keep their texts.
// Japanese also loads Qt's own Japanese translation when the system has it, so that Qt's dialogs
// (file chooser, printing, colours) speak Japanese too.
bool InstallLanguage(Language language);
Language CurrentLanguage();

}  // namespace tavrel::qt
