// The interface's language: the name given on the command line and the one
// the environment's locale picks, the window and its menu in English, Qt's
// own buttons in Korean, error messages in one language only, and the
// English translation file complete.
#include "ScriptedDialogs.h"
#include "TestContainers.h"

#include "window/Language.h"
#include "window/MainWindow.h"
#include "window/Messages.h"
#include "window/inspector/InspectorWindow.h"
#include "window/menu/CanvasMenu.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <optional>

using namespace zpk;
using namespace zpk::windowtest;

Q_DECLARE_METATYPE(zpk::Language)
Q_DECLARE_METATYPE(std::optional<zpk::Language>)

namespace {

const char* const kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

bool isHangul(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F);
}

bool hasHangul(const QString& text) { return std::any_of(text.begin(), text.end(), isHangul); }

bool hasAsciiLetter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

// Every text a person can read on a widget and the widgets inside it: the
// captions, the labels, the titles, the tips and the accessible names, the
// actions of its menus and the items of its combo boxes.
QStringList textsOf(const QWidget* top)
{
    QList<const QWidget*> widgets = {top};
    for (const QWidget* w : top->findChildren<QWidget*>()) widgets.append(w);
    QStringList texts;
    for (const QWidget* w : widgets) {
        texts << w->windowTitle() << w->toolTip() << w->accessibleName() << w->accessibleDescription();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) texts << button->text();
        if (const auto* label = qobject_cast<const QLabel*>(w)) texts << label->text();
        if (const auto* combo = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        for (const QAction* action : w->actions()) texts << action->text() << action->toolTip();
    }
    texts.removeAll(QString());
    return texts;
}

// The placeholders %1 to %99 of a text, each once, in order.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%(\\d{1,2})"));
    QStringList found;
    for (const QRegularExpressionMatch& m : marker.globalMatch(text)) found << m.captured(1);
    found.sort();
    found.removeDuplicates();
    return found;
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parseLanguage_data();
    void parseLanguage();
    void systemLanguage_data();
    void systemLanguage();

    void englishWindowCaptions();
    void englishWindowHasNoKorean();
    void koreanQtButtons();
    void newLanguageReplacesTheOneBefore();
    void removingGoesBackToTheSourceTexts();

    void messagesSpeakOneLanguage_data();
    void messagesSpeakOneLanguage();
    void otherSystemErrors();
    void refusalsSpeakOneLanguage();

    void translationFileIsComplete();

private:
    std::optional<QByteArray> m_savedLocale[std::size(kLocaleVariables)];
    std::unique_ptr<QTemporaryDir> m_dir;
};

void LanguageTest::init()
{
    for (std::size_t i = 0; i < std::size(kLocaleVariables); ++i)
        m_savedLocale[i] = qEnvironmentVariableIsSet(kLocaleVariables[i])
                               ? std::optional<QByteArray>(qgetenv(kLocaleVariables[i]))
                               : std::nullopt;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void LanguageTest::cleanup()
{
    // no test leaves a translator behind for the next
    removeLanguage();
    QCOMPARE(currentLanguage(), Language::Korean);
    for (std::size_t i = 0; i < std::size(kLocaleVariables); ++i) {
        if (m_savedLocale[i]) qputenv(kLocaleVariables[i], *m_savedLocale[i]);
        else qunsetenv(kLocaleVariables[i]);
    }
    m_dir.reset();
}

// --- the language's name ----------------------------------------------------

void LanguageTest::parseLanguage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<Language>>("expected");
    const std::optional<Language> korean = Language::Korean;
    const std::optional<Language> english = Language::English;
    const std::optional<Language> none;
    QTest::newRow("ko") << "ko" << korean;
    QTest::newRow("KO") << "KO" << korean;
    QTest::newRow("ko_KR") << "ko_KR" << korean;
    QTest::newRow("ko_KR.UTF-8") << "ko_KR.UTF-8" << korean;
    QTest::newRow("en") << "en" << english;
    QTest::newRow("En") << "En" << english;
    QTest::newRow("en_US.UTF-8") << "en_US.UTF-8" << english;
    QTest::newRow("en-GB") << "en-GB" << english;
    QTest::newRow("en@quot") << "en@quot" << english;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("de") << "de" << none;
    QTest::newRow("korean") << "korean" << none;
    QTest::newRow("english") << "english" << none;
    QTest::newRow("kok_IN: Konkani, not Korean") << "kok_IN" << none;
    QTest::newRow("e") << "e" << none;
    QTest::newRow("_ko") << "_ko" << none;
}

void LanguageTest::parseLanguage()
{
    QFETCH(QString, name);
    QFETCH(std::optional<Language>, expected);
    QCOMPARE(zpk::parseLanguage(name), expected);
}

void LanguageTest::systemLanguage_data()
{
    // a null array: the variable is not set
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<Language>("expected");
    const QByteArray unset;
    QTest::newRow("LANG=ko_KR.UTF-8") << unset << unset << QByteArray("ko_KR.UTF-8") << Language::Korean;
    QTest::newRow("LANG=C") << unset << unset << QByteArray("C") << Language::Korean;
    QTest::newRow("LANG=C.UTF-8") << unset << unset << QByteArray("C.UTF-8") << Language::Korean;
    QTest::newRow("LANG=POSIX") << unset << unset << QByteArray("POSIX") << Language::Korean;
    QTest::newRow("nothing set") << unset << unset << unset << Language::Korean;
    QTest::newRow("all empty") << QByteArray("") << QByteArray("") << QByteArray("") << Language::Korean;
    QTest::newRow("LANG=en_US.UTF-8") << unset << unset << QByteArray("en_US.UTF-8") << Language::English;
    QTest::newRow("LANG=de_DE") << unset << unset << QByteArray("de_DE") << Language::English;
    QTest::newRow("LANG=kok_IN") << unset << unset << QByteArray("kok_IN") << Language::English;
    QTest::newRow("LC_ALL wins over LANG")
        << QByteArray("en_US.UTF-8") << unset << QByteArray("ko_KR.UTF-8") << Language::English;
    QTest::newRow("LC_ALL wins over LC_MESSAGES")
        << QByteArray("ko_KR.UTF-8") << QByteArray("en_US.UTF-8") << unset << Language::Korean;
    QTest::newRow("LC_ALL=C wins over LANG")
        << QByteArray("C") << unset << QByteArray("de_DE.UTF-8") << Language::Korean;
    QTest::newRow("LC_MESSAGES wins over LANG")
        << unset << QByteArray("en_GB.UTF-8") << QByteArray("ko_KR.UTF-8") << Language::English;
    QTest::newRow("an empty LC_ALL counts as unset")
        << QByteArray("") << unset << QByteArray("ko_KR.UTF-8") << Language::Korean;
}

void LanguageTest::systemLanguage()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(Language, expected);
    const QByteArray values[] = {lcAll, lcMessages, lang};
    for (std::size_t i = 0; i < std::size(kLocaleVariables); ++i) {
        if (values[i].isNull()) qunsetenv(kLocaleVariables[i]);
        else qputenv(kLocaleVariables[i], values[i]);
    }
    QCOMPARE(zpk::systemLanguage(), expected);
}

// --- the window in each language -------------------------------------------------

void LanguageTest::englishWindowCaptions()
{
    QVERIFY(installLanguage(Language::English));
    QCOMPARE(currentLanguage(), Language::English);
    MainWindow window(m_dir->path());

    const auto caption = [&window](const char* name) {
        const auto* button = window.findChild<QAbstractButton*>(QLatin1String(name));
        if (button == nullptr) qFatal("no button %s", name);
        return button->text();
    };
    QCOMPARE(caption("Command1"), QStringLiteral("Draw"));
    QCOMPARE(caption("Command2"), QStringLiteral("Open file"));
    QCOMPARE(caption("mode_clear"), QStringLiteral("Clear"));
    QCOMPARE(caption("mode_back"), QStringLiteral("Skip index 0"));
    QCOMPARE(caption("check_color"), QStringLiteral("UserColor"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Dovenrill's Marbeck Glintmoor"));

    auto* menu = window.findChild<QMenu*>(QStringLiteral("canvasMenu"));
    QVERIFY(menu != nullptr);
    const auto actionText = [menu](const char* name) {
        const auto* action = menu->findChild<QAction*>(QLatin1String(name));
        if (action == nullptr) qFatal("no action %s", name);
        return action->text();
    };
    QCOMPARE(actionText("saveImage"), QStringLiteral("Save image…"));
    QCOMPARE(actionText("copyImage"), QStringLiteral("Copy"));
    QCOMPARE(actionText("exportAll"), QStringLiteral("Export all…"));
    QCOMPARE(actionText("inspect"), QStringLiteral("Inspect"));
}

void LanguageTest::englishWindowHasNoKorean()
{
    // every text of the window, its menu and the inspector has its English,
    // also those that show once an image is drawn
    QVERIFY(installLanguage(Language::English));
    const QString file = QDir(m_dir->path()).filePath(QStringLiteral("one.zpk"));
    writeBytes(file, containerBytes(ContainerBuilder().entry(solidImage(3, 3, {10, 20, 30}))));
    MainWindow window(m_dir->path());
    auto dialogs = std::make_shared<ScriptedDialogs>();
    window.setDialogs(dialogs);
    window.loadFile(file);
    QVERIFY(dialogs->messages.isEmpty());
    QVERIFY(window.drawnEntry() != nullptr);
    InspectorWindow* inspector = window.canvasMenu()->openInspector();
    QVERIFY(inspector != nullptr);

    QStringList texts = textsOf(&window) + textsOf(window.canvasMenu()) + textsOf(inspector);
    for (const QMenu* submenu : window.canvasMenu()->findChildren<QMenu*>()) texts += textsOf(submenu);
    QVERIFY(texts.size() > 20);
    for (const QString& text : texts) QVERIFY2(!hasHangul(text), qPrintable(text));
    inspector->close();
}

void LanguageTest::koreanQtButtons()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ko.qm")))
        QSKIP("Qt's Korean translation is not installed here");
    QVERIFY(installLanguage(Language::Korean));
    QCOMPARE(currentLanguage(), Language::Korean);
    QCOMPARE(QLocale().language(), QLocale::Korean);

    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    QVERIFY2(hasHangul(box.button(QDialogButtonBox::Yes)->text()),
             qPrintable(box.button(QDialogButtonBox::Yes)->text()));
    QVERIFY2(hasHangul(box.button(QDialogButtonBox::Cancel)->text()),
             qPrintable(box.button(QDialogButtonBox::Cancel)->text()));

    QMessageBox message(QMessageBox::Question, QStringLiteral("제목"), QStringLiteral("본문"),
                        QMessageBox::Yes | QMessageBox::No);
    QVERIFY(hasHangul(message.button(QMessageBox::Yes)->text()));
    QVERIFY(hasHangul(message.button(QMessageBox::No)->text()));

    // the viewer's own texts are Korean as written
    MainWindow window(m_dir->path());
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("Command2"))->text(),
             QStringLiteral("파일불러오기"));
}

void LanguageTest::newLanguageReplacesTheOneBefore()
{
    const bool qtKorean =
        QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ko.qm"));
    if (!qtKorean) QSKIP("Qt's Korean translation is not installed here");

    QVERIFY(installLanguage(Language::English));
    QVERIFY(installLanguage(Language::Korean));
    // the English translation is gone: the window speaks Korean
    QCOMPARE(MainWindow::caption(), QStringLiteral("Dovenrill의Marbeck Glintmoor"));
    QCOMPARE(currentLanguage(), Language::Korean);

    QVERIFY(installLanguage(Language::English));
    // and Qt's Korean is gone: its buttons speak Qt's English again
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Yes"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    QCOMPARE(MainWindow::caption(), QStringLiteral("Dovenrill's Marbeck Glintmoor"));
    QCOMPARE(QLocale().language(), QLocale::English);
    QCOMPARE(currentLanguage(), Language::English);
}

void LanguageTest::removingGoesBackToTheSourceTexts()
{
    const QLocale before;
    QVERIFY(installLanguage(Language::English));
    removeLanguage();
    QCOMPARE(currentLanguage(), Language::Korean);
    QCOMPARE(MainWindow::caption(), QStringLiteral("Dovenrill의Marbeck Glintmoor"));
    QCOMPARE(QLocale(), before);
}

// --- messages ---------------------------------------------------------------------

void LanguageTest::messagesSpeakOneLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<int>("systemError");
    const std::pair<const char*, int> errors[] = {{"ENOENT", ENOENT}, {"EACCES", EACCES}, {"EISDIR", EISDIR}};
    for (const auto& [name, value] : errors) {
        QTest::addRow("Korean, %s", name) << Language::Korean << value;
        QTest::addRow("English, %s", name) << Language::English << value;
    }
}

void LanguageTest::messagesSpeakOneLanguage()
{
    QFETCH(Language, language);
    QFETCH(int, systemError);
    if (language == Language::English) QVERIFY(installLanguage(Language::English));

    // a path of digits only, so that what is left is the message's own words
    const std::string path = "/0/1";
    QStringList texts;
    for (const ErrorCode code :
         {ErrorCode::CannotOpen, ErrorCode::WriteFailed, ErrorCode::CannotMakeFolder}) {
        const Error error = makeError(code, path, systemError);
        texts << Messages::reason(error) << Messages::loadFailed(error)
              << Messages::saveFailed(QStringLiteral("/2/3"), error);
    }
    for (const QString& text : texts) {
        QVERIFY(!text.trimmed().isEmpty());
        if (language == Language::Korean) {
            QVERIFY2(!hasAsciiLetter(text), qPrintable(text));
            QVERIFY2(hasHangul(text), qPrintable(text));
        } else {
            QVERIFY2(!hasHangul(text), qPrintable(text));
            QVERIFY2(hasAsciiLetter(text), qPrintable(text));
        }
    }
}

void LanguageTest::otherSystemErrors()
{
    // an errno with no sentence of its own: its number in Korean, the
    // system's words in English
    const Error error = makeError(ErrorCode::WriteFailed, "/0/1", EIO);
    const QString korean = Messages::reason(error);
    QVERIFY2(korean.contains(QString::number(EIO)), qPrintable(korean));
    QVERIFY2(!hasAsciiLetter(korean), qPrintable(korean));

    QVERIFY(installLanguage(Language::English));
    const QString english = Messages::reason(error);
    QVERIFY2(!hasHangul(english), qPrintable(english));
    QVERIFY2(hasAsciiLetter(english), qPrintable(english));
    // the system's words, not a translation of the Korean sentence
    QVERIFY2(!english.contains(QString::number(EIO)), qPrintable(english));
}

// Every rule a palette, a picture or a writer refuses by, with its facts:
// the Korean has no English word but names and the values given, and the
// English has every number the Korean has.
void LanguageTest::refusalsSpeakOneLanguage()
{
    Error e = makeRefusal(ErrorCode::CannotPack, Refusal::None);
    e.x = 3;
    e.y = 4;
    e.alpha = 128;
    e.value = 7;
    e.count = 300;
    e.limit = 256;
    e.offset = 768;
    e.line = 5;
    e.row = 2;
    e.field = ColourField::Green;
    e.token = "tok";
    e.rgb[0] = 0x123456;
    e.rgb[1] = 0x654321;
    e.fileName = "002.png";
    e.lastFileName = "009.png";
    e.imageWidth = 40000;
    e.imageHeight = 2;
    e.actualLength = 1234;
    e.detail = "spng";
    const QStringList names = {"PNG", "GIMP", "JASC", "Adobe", "gpl", "pal", "act", "png", "tok", "spng"};
    std::vector<Error> errors;
    for (int k = 1; k <= static_cast<int>(kLastRefusal); ++k) {
        e.refusal = static_cast<Refusal>(k);
        for (const int entry : {-1, 1}) {
            e.entry = entry;
            errors.push_back(e);
        }
    }
    QStringList korean;
    for (const Error& error : errors) korean << Messages::reason(error);
    QVERIFY(installLanguage(Language::English));

    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    static const QRegularExpression number(QStringLiteral("\\d+"));
    const auto numbers = [](const QString& text) {
        QStringList found;
        for (const QRegularExpressionMatch& m : number.globalMatch(text)) found << m.captured();
        return found;
    };
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const QString& text = korean[static_cast<qsizetype>(i)];
        QVERIFY2(hasHangul(text), qPrintable(text));
        for (const QRegularExpressionMatch& m : word.globalMatch(text))
            QVERIFY2(names.contains(m.captured()), qPrintable(text));
        const QString english = Messages::reason(errors[i]);
        QVERIFY2(!hasHangul(english), qPrintable(english));
        const QStringList given = numbers(english);
        for (const QString& n : numbers(text))
            QVERIFY2(given.contains(n), qPrintable(text + QStringLiteral(" / ") + english));
    }
}

// --- the translation file ---------------------------------------------------------

void LanguageTest::translationFileIsComplete()
{
    QFile file(QStringLiteral(ZPK_ENGLISH_TS));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);

    int messages = 0;
    QString context;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QStringView element = xml.name();
        if (element == u"name") {
            context = xml.readElementText();
        } else if (element == u"source") {
            source = xml.readElementText();
        } else if (element == u"translation") {
            ++messages;
            const QString where = context + QStringLiteral(": ") + source;
            // unfinished: never translated; vanished or obsolete: no longer in the sources
            const QStringView type = xml.attributes().value(QStringLiteral("type"));
            QVERIFY2(type.isEmpty(),
                     qPrintable(type.toString() + QStringLiteral(" translation of ") + where));
            QStringList forms;
            const bool numerus = xml.attributes().value(QStringLiteral("numerus")) == u"yes";
            if (numerus) {
                while (xml.readNextStartElement())
                    if (xml.name() == u"numerusform") forms << xml.readElementText();
            } else {
                forms << xml.readElementText();
            }
            for (const QString& text : forms) {
                QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("no translation of ") + where));
                QVERIFY2(!hasHangul(text), qPrintable(QStringLiteral("Korean left in ") + text));
                QVERIFY2(placeholders(text) == placeholders(source),
                         qPrintable(QStringLiteral("other placeholders in ") + text));
            }
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 0);
}

QTEST_MAIN(LanguageTest)
#include "LanguageTest.moc"
