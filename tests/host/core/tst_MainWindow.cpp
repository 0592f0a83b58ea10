#include "host/core/MainWindow.h"

#include <QComboBox>
#include <QToolBar>
#include <QtTest>

namespace {

QStringList g_warnings;

// Qt 5.15 has no QTest::failOnWarning; this handler collects warnings instead.
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        g_warnings.append(message);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void windowModifiedWithoutWarning()
    {
        NTarsel::CMainWindow window;
        // Qt checks the title for the placeholder only once the window has a native handle.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        window.setWindowModified(true);
        qInstallMessageHandler(previous);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));
        QVERIFY(window.isWindowModified() && window.windowTitle().contains(QLatin1String("[*]")));
    }

    void selectorShownBeforeAnyToolbarStaysOutOfSight()
    {
        NTarsel::CMainWindow window;
        window.resize(800, 600);
        QToolBar* toolBar = window.addToolBar(QStringLiteral("Tools"));
        auto* selector = new QComboBox(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        selector->show();
        QVERIFY(!selector->isHidden() && !window.rect().intersects(selector->geometry()));
        toolBar->addWidget(selector);
        QTRY_VERIFY(selector->isVisible() && toolBar->rect().intersects(selector->geometry()));
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
