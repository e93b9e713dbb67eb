// The language the viewer speaks. Its texts are written in Korean; the
// English comes from translations/zpkview_en.ts, compiled into the library
// as the resource :/i18n/zpkview_en.qm.
//
// Call these on the GUI thread, once the application object exists.
#pragma once

#include <QString>

#include <optional>

namespace zpk {

enum class Language { Korean, English };

// "ko" or "en" in any case, alone or with a territory, a code set or a
// modifier behind it ("ko_KR", "en-GB", "en_US.UTF-8"); nullopt for
// anything else.
std::optional<Language> parseLanguage(const QString& name);

// The language of the messages locale as setlocale(LC_MESSAGES, "") picks
// it from the environment: LC_ALL, then LC_MESSAGES, then LANG, the first
// that is set and not empty. Korean for a Korean locale and for C, POSIX or
// no locale at all (the texts' own language); English for every other.
Language systemLanguage();

// Makes the running application speak `language`, in place of the language
// installed before:
//   Korean: Qt's own Korean translation (qtbase_ko.qm from Qt's
//           translations folder), so that Qt's dialogs and standard buttons
//           speak Korean too; the viewer's texts need none;
//   English: the viewer's English translation.
// The default QLocale follows (Korean in South Korea, or English in the
// United States), for the widgets made from then on. Returns false and
// changes nothing when the translation cannot be loaded or there is no
// application.
bool installLanguage(Language language);

// Takes back what installLanguage put in place: the translator goes and the
// default QLocale is the one from before. The viewer speaks its source
// texts, Korean, with Qt's dialogs in their own English.
void removeLanguage();

// The language installed by installLanguage, Korean when there is none:
// for code that must pick words or number formats outside tr().
Language currentLanguage();

}  // namespace zpk
