#include "gui/platform/Translation.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>
#include <memory>

#include "gui/platform/DialogLayout.h"

#include "platform/Translate.h"

namespace tavrel::qt {

namespace {

constexpr const char* kLanguageKey = "Options/Language";

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// Fits the captions of every dialog laid out from dialog units (one without a layout) when it is
// first shown, so translated captions longer than the Japanese ones are never cut off.
class CaptionFitter : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && !dialog->layout() && !dialog->property(kFitted).toBool()) {
                dialog->setProperty(kFitted, true);
                FitCaptions(dialog);
            }
        }
        return false;
    }

  private:
    static constexpr const char* kFitted = "tavrelCaptionsFitted";
};

// Qt's own texts (the file, print and colour dialogs, standard buttons) in Japanese, from Qt's
// translations on the system (Debian: qt6-translations-l10n).
std::unique_ptr<QTranslator>& QtJapanese() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

void InstallQtJapanese() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    QtJapanese() = std::move(translator);
}

std::unique_ptr<CaptionFitter>& Fitter() {
    static std::unique_ptr<CaptionFitter> fitter;
    return fitter;
}

std::string TranslateForCore(const char* context, const char* text) {
    return QCoreApplication::translate(context, text).toStdString();
}

Language Parse(const QString& code, Language otherwise) {
    if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    if (code.compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0) return Language::Japanese;
    return otherwise;
}

}  // namespace

QString Tr(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

Language StoredLanguage() {
    return Parse(QSettings().value(kLanguageKey).toString(), Language::Japanese);
}

void StoreLanguage(Language language) {
    QSettings().setValue(
        kLanguageKey, language == Language::English ? QStringLiteral("en") : QStringLiteral("ja"));
}

Language StartupLanguage() {
    return Parse(qEnvironmentVariable("TAVREL_LANG"), StoredLanguage());
}

bool LanguageSetByEnvironment() {
    const QString code = qEnvironmentVariable("TAVREL_LANG");
    return Parse(code, Language::Japanese) == Parse(code, Language::English);
}

bool InstallLanguage(Language language) {
    std::unique_ptr<QTranslator>& installed = Installed();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (QtJapanese()) {
        QCoreApplication::removeTranslator(QtJapanese().get());
        QtJapanese().reset();
    }
    SetTranslator(nullptr);
    if (Fitter()) {
        QCoreApplication::instance()->removeEventFilter(Fitter().get());
        Fitter().reset();
    }
    if (language == Language::Japanese) {
        InstallQtJapanese();
        return true;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/tavrel_en.qm"))) return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    SetTranslator(&TranslateForCore);
    Fitter() = std::make_unique<CaptionFitter>();
    QCoreApplication::instance()->installEventFilter(Fitter().get());
    return true;
}

Language CurrentLanguage() {
    return Installed() ? Language::English : Language::Japanese;
}

}  // namespace tavrel::qt
