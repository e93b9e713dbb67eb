// Closing the window ends the program: the application's event loop
// returns, also when a wait() is sleeping in it.
#include "window/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using zpk::MainWindow;

class WindowCloseTest : public QObject {
    Q_OBJECT

private slots:
    void closeEndsTheProgram();
    void closeDuringWaitEndsTheProgram();
};

namespace {

// Runs the application's event loop as main() does, with a guard that ends
// it after `seconds` should nothing else. Returns whether the guard fired.
bool runEventLoop(int seconds)
{
    bool guardFired = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::exit(1);
    });
    guard.start(seconds * 1000);
    QApplication::exec();
    return guardFired;
}

}  // namespace

void WindowCloseTest::closeEndsTheProgram()
{
    QTemporaryDir dir;
    MainWindow window(dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTimer::singleShot(20, &window, [&window] { window.close(); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY2(!runEventLoop(10), "the program did not end when the window closed");
    QVERIFY(!window.isVisible());
    QVERIFY(clock.elapsed() < 5000);
}

void WindowCloseTest::closeDuringWaitEndsTheProgram()
{
    QTemporaryDir dir;
    MainWindow window(dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool waitReturned = false;
    qint64 waited = -1;
    QTimer::singleShot(0, &window, [&] {
        QElapsedTimer clock;
        clock.start();
        window.wait(30.0f);
        waited = clock.elapsed();
        waitReturned = true;
    });
    QTimer::singleShot(50, &window, [&window] { window.close(); });
    QVERIFY2(!runEventLoop(10), "the program did not end when the window closed");
    QVERIFY(waitReturned);
    QVERIFY(waited >= 0 && waited < 5000);
}

QTEST_MAIN(WindowCloseTest)
#include "WindowCloseTest.moc"
