#include "app/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace orvanta {

namespace {

// The window's texts are written in Japanese; this is their English translation, built from
// app/translations/orvanta_en.ts into the program's resources.
constexpr const char* EnglishTranslation = ":/i18n/orvanta_en.qm";

std::unique_ptr<QTranslator>& InstalledTranslator() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

void UseInterfaceLanguage(Language language) {
    std::unique_ptr<QTranslator>& installed = InstalledTranslator();
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed = std::make_unique<QTranslator>();
    // Qt's own texts are English; the window's are Japanese. A missing translation leaves the
    // texts as written, which is still a working window.
    const bool found = language == Language::Japanese
                           ? installed->load(QStringLiteral("qtbase_ja"),
                                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                           : installed->load(QString::fromLatin1(EnglishTranslation));
    if (found) QCoreApplication::installTranslator(installed.get());
    SetTextLanguage(language);
}

} // namespace orvanta
