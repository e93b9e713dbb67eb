// A long session of hostile files in the viewer: every malformed fixture and
// every fuzz seed is loaded through the window one after another, and every
// row is rendered with each combination of UserColor, drop first and clear.
// It checks that each failed load kept the previous file and that every
// render ended with Command1 enabled; the rest is for the sanitizers to
// watch (LeakSanitizer in the asan preset).
#include "ScriptedDialogs.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using zpk::MainWindow;

class ViewerStressTest : public QObject {
    Q_OBJECT

private slots:
    void everyFileEveryRowEveryOption();
};

namespace {

QStringList filesUnder(const QStringList& folders)
{
    QStringList files;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files.append(it.next());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

void ViewerStressTest::everyFileEveryRowEveryOption()
{
    const QStringList files = filesUnder({QStringLiteral(ZPK_MALFORMED_DIR), QStringLiteral(ZPK_CORPUS_DIR)});
    QVERIFY(files.size() > 20);

    QTemporaryDir dir;
    MainWindow window(dir.path());
    auto dialogs = std::make_shared<zpk::windowtest::ScriptedDialogs>();
    window.setDialogs(dialogs);
    window.show();

    auto* list1 = window.findChild<QListWidget*>(QStringLiteral("List1"));
    auto* command1 = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    const QList<QCheckBox*> options = {window.findChild<QCheckBox*>(QStringLiteral("check_color")),
                                       window.findChild<QCheckBox*>(QStringLiteral("mode_back")),
                                       window.findChild<QCheckBox*>(QStringLiteral("mode_clear"))};
    QVERIFY(list1 && command1 && !options.contains(nullptr));

    int loads = 0;
    for (const QString& file : files) {
        const std::string before = window.state().file.filePath;
        const auto messagesBefore = dialogs->messages.size();
        window.loadFile(file);
        if (dialogs->messages.size() != messagesBefore) {
            QCOMPARE(window.state().file.filePath, before);  // a failed load keeps the previous file
            continue;
        }
        ++loads;
        for (int combination = 0; combination < 8; ++combination) {
            for (int bit = 0; bit < 3; ++bit) options[bit]->setChecked((combination >> bit) & 1);
            for (int row = 0; row < list1->count(); ++row) {
                list1->setCurrentRow(row);
                command1->click();
                QVERIFY(command1->isEnabled());
            }
        }
    }
    QVERIFY(loads > 0);
}

QTEST_MAIN(ViewerStressTest)
#include "ViewerStressTest.moc"
