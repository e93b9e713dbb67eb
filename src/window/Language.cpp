#include "window/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include <memory>

// The English translation is a resource of this static library: naming its
// initialiser here links it in with this file, and registers it before the
// first load. Q_INIT_RESOURCE declares a function of the global namespace,
// so this stays outside zpk.
static void registerEnglishTranslation()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(zpkview_translations);
        return true;
    }();
    (void)registered;
}

namespace zpk {

namespace {

const QString kEnglishTranslation = QStringLiteral(":/i18n/zpkview_en.qm");
const QString kQtKoreanTranslation = QStringLiteral("qtbase_ko");

// What installLanguage put in place. The translator is a child of the
// application: it goes with it, and the pointer then reads null.
struct Installed {
    QPointer<QTranslator> translator;
    Language language = Language::Korean;
    std::optional<QLocale> localeBefore;  // the default locale before the first install
};

Installed& installed()
{
    static Installed state;
    return state;
}

// The language part of a locale name: what comes before the territory
// ("_KR", "-GB"), the code set (".UTF-8") or the modifier ("@euro").
QString languageCode(const QString& name)
{
    qsizetype end = 0;
    while (end < name.size() && name[end] != u'_' && name[end] != u'-' && name[end] != u'.' &&
           name[end] != u'@')
        ++end;
    return name.first(end);
}

QLocale localeOf(Language language)
{
    return language == Language::Korean ? QLocale(QLocale::Korean, QLocale::SouthKorea)
                                        : QLocale(QLocale::English, QLocale::UnitedStates);
}

}  // namespace

std::optional<Language> parseLanguage(const QString& name)
{
    const QString code = languageCode(name);
    if (code.compare(QLatin1String("ko"), Qt::CaseInsensitive) == 0) return Language::Korean;
    if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    return std::nullopt;
}

Language systemLanguage()
{
    QString locale;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qEnvironmentVariable(variable);
        if (!locale.isEmpty()) break;
    }
    // C and POSIX (with or without a code set, as in C.UTF-8): no language
    // of their own, so the texts' own
    const QString code = languageCode(locale);
    if (code.isEmpty() || code == QLatin1String("C") || code == QLatin1String("POSIX"))
        return Language::Korean;
    return parseLanguage(code) == Language::Korean ? Language::Korean : Language::English;
}

bool installLanguage(Language language)
{
    QCoreApplication* const app = QCoreApplication::instance();
    if (app == nullptr) return false;

    auto translator = std::make_unique<QTranslator>();
    bool loaded = false;
    if (language == Language::Korean) {
        loaded = translator->load(kQtKoreanTranslation, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    } else {
        registerEnglishTranslation();
        loaded = translator->load(kEnglishTranslation);
    }
    if (!loaded || !QCoreApplication::installTranslator(translator.get())) return false;

    // the new one is in place: the one before it goes
    Installed& state = installed();
    if (state.translator) {
        QCoreApplication::removeTranslator(state.translator);
        delete state.translator;
    }
    translator->setParent(app);
    state.translator = translator.release();
    state.language = language;
    if (!state.localeBefore) state.localeBefore = QLocale();
    QLocale::setDefault(localeOf(language));
    return true;
}

void removeLanguage()
{
    Installed& state = installed();
    if (state.translator) {
        QCoreApplication::removeTranslator(state.translator);
        delete state.translator;
    }
    if (state.localeBefore) QLocale::setDefault(*state.localeBefore);
    state.localeBefore.reset();
    state.language = Language::Korean;
}

Language currentLanguage()
{
    const Installed& state = installed();
    return state.translator ? state.language : Language::Korean;
}

}  // namespace zpk
