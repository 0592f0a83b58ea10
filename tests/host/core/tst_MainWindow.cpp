#include "host/core/MainWindow.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
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

// A swap must neither delete a widget nor turn it into a top-level window of its own.
bool isKeptChild(const QPointer<QWidget>& widget, const QWidget& window)
{
    return widget && widget->parentWidget() == &window && !widget->isWindow();
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void swapCentralWidget();
    void nestedSwapsRestoreInReverseOrder();
    void swapsThatChangeNothing();
    void windowWithoutCentralWidget();
    void docksFollowState();
    void setupDockWidgetsRestoresLayout();
    void defaults();
    void windowModifiedWithoutWarning();
    void signalsCanBeSpied();
    void looseChildShownBeforePlacingStaysOutOfSight();

private:
    QTemporaryDir m_dir;
};

void tst_MainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_MainWindow::swapCentralWidget()
{
    NTarsel::CMainWindow window;
    QPointer<QWidget> host = new QLabel(QStringLiteral("host"));
    window.setCentralWidget(host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QPointer<QWidget> report = new QLabel(QStringLiteral("report"));
    window.SetCentralWidget(report);
    QCOMPARE(window.centralWidget(), report.data());
    QVERIFY(report->isVisible());
    QVERIFY(isKeptChild(host, window));
    QVERIFY(host->isHidden());

    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), host.data());
    QVERIFY(host->isVisibleTo(&window));
    QVERIFY(host->isVisible());
    QVERIFY(isKeptChild(report, window));
    QVERIFY(report->isHidden());

    // The replaced widget can be swapped in again later.
    window.SetCentralWidget(report);
    QCOMPARE(window.centralWidget(), report.data());
    QVERIFY(report->isVisibleTo(&window));
    QVERIFY(isKeptChild(host, window));
}

void tst_MainWindow::nestedSwapsRestoreInReverseOrder()
{
    NTarsel::CMainWindow window;
    QPointer<QWidget> first = new QWidget;
    QPointer<QWidget> second = new QWidget;
    QPointer<QWidget> third = new QWidget;
    window.setCentralWidget(first);

    window.SetCentralWidget(second);
    window.SetCentralWidget(third);
    QCOMPARE(window.centralWidget(), third.data());
    QVERIFY(first->isHidden());
    QVERIFY(second->isHidden());

    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), second.data());
    QVERIFY(second->isVisibleTo(&window));
    QVERIFY(third->isHidden());
    QVERIFY(first->isHidden());

    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), first.data());
    QVERIFY(first->isVisibleTo(&window));
    QVERIFY(second->isHidden());

    // Nothing left to restore: the last restore stays.
    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), first.data());
    QVERIFY(first->isVisibleTo(&window));

    for (const QPointer<QWidget>& widget : {first, second, third})
        QVERIFY(isKeptChild(widget, window));
}

void tst_MainWindow::swapsThatChangeNothing()
{
    NTarsel::CMainWindow window;
    QPointer<QWidget> host = new QWidget;
    QPointer<QWidget> report = new QWidget;
    window.setCentralWidget(host);

    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), host.data());
    QVERIFY(host->isVisibleTo(&window));

    window.SetCentralWidget(report);
    window.SetCentralWidget(report);
    window.SetCentralWidget(nullptr);
    QCOMPARE(window.centralWidget(), report.data());
    QVERIFY(report->isVisibleTo(&window));

    // Had either call been remembered as a swap, one restore would not reach the host widget.
    window.RestoreCentralWidget();
    QCOMPARE(window.centralWidget(), host.data());
    QVERIFY(isKeptChild(report, window));
}

void tst_MainWindow::windowWithoutCentralWidget()
{
    NTarsel::CMainWindow window;
    QPointer<QWidget> report = new QWidget;

    window.SetCentralWidget(report);
    QCOMPARE(window.centralWidget(), report.data());

    window.RestoreCentralWidget();
    QVERIFY(!window.centralWidget());
    QVERIFY(isKeptChild(report, window));
    QVERIFY(report->isHidden());
}

void tst_MainWindow::docksFollowState()
{
    NTarsel::CMainWindow window;
    QCOMPARE(window.GetState(), NTarsel::MainWindowStateNormal);
    auto* samples = new QDockWidget(QStringLiteral("Samples"), &window);
    auto* sequences = new QDockWidget(QStringLiteral("Sequences"), &window);
    window.AddNormalDockWidget(Qt::LeftDockWidgetArea, samples);
    window.AddNormalDockWidget(Qt::BottomDockWidgetArea, sequences);
    QVERIFY(!samples->isHidden());
    QVERIFY(!sequences->isHidden());

    window.SwitchToState(NTarsel::MainWindowStateAnalysis);
    QCOMPARE(window.GetState(), NTarsel::MainWindowStateAnalysis);
    QVERIFY(samples->isHidden());
    QVERIFY(sequences->isHidden());

    // A dock registered during an analysis waits for the normal layout.
    auto* late = new QDockWidget(QStringLiteral("Late"), &window);
    window.AddNormalDockWidget(Qt::RightDockWidgetArea, late);
    QVERIFY(late->isHidden());

    window.SwitchToState(NTarsel::MainWindowStateNormal);
    QCOMPARE(window.GetState(), NTarsel::MainWindowStateNormal);
    QVERIFY(!samples->isHidden());
    QVERIFY(!sequences->isHidden());
    QVERIFY(!late->isHidden());

    // A registered dock that the host deleted is skipped, not touched.
    delete sequences;
    window.SwitchToState(NTarsel::MainWindowStateAnalysis);
    QVERIFY(samples->isHidden());
    window.SwitchToState(NTarsel::MainWindowStateNormal);
    QVERIFY(!samples->isHidden());
}

void tst_MainWindow::setupDockWidgetsRestoresLayout()
{
    NTarsel::CMainWindow window;
    auto* samples = new QDockWidget(QStringLiteral("Samples"), &window);
    auto* sequences = new QDockWidget(QStringLiteral("Sequences"), &window);
    window.AddNormalDockWidget(Qt::LeftDockWidgetArea, samples);
    window.AddNormalDockWidget(Qt::BottomDockWidgetArea, sequences);

    window.SwitchToState(NTarsel::MainWindowStateAnalysis);
    window.addDockWidget(Qt::RightDockWidgetArea, samples);
    sequences->hide();

    window.setupDockWidgets();
    QVERIFY(!samples->isHidden());
    QVERIFY(!sequences->isHidden());
    QCOMPARE(window.dockWidgetArea(samples), Qt::LeftDockWidgetArea);
    QCOMPARE(window.dockWidgetArea(sequences), Qt::BottomDockWidgetArea);
}

void tst_MainWindow::defaults()
{
    NTarsel::CMainWindow window;
    QVERIFY(window.HasControlsAccess());
    QCOMPARE(window.GetLocale(), std::string("en"));

    window.SetControlsAccess(false);
    window.SetLocale("de");
    QVERIFY(!window.HasControlsAccess());
    QCOMPARE(window.GetLocale(), std::string("de"));
    // Each window keeps its own.
    NTarsel::CMainWindow other;
    QVERIFY(other.HasControlsAccess());
    QCOMPARE(other.GetLocale(), std::string("en"));
}

void tst_MainWindow::windowModifiedWithoutWarning()
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
    QVERIFY(window.isWindowModified());
    QVERIFY(window.windowTitle().contains(QLatin1String("[*]")));
}

void tst_MainWindow::signalsCanBeSpied()
{
    NTarsel::CMainWindow window;
    QSignalSpy stateSpy(&window, &NTarsel::CMainWindow::stateChanged);
    QSignalSpy dbSpy(&window, &NTarsel::CMainWindow::dbLoaded);
    QVERIFY(stateSpy.isValid());
    QVERIFY(dbSpy.isValid());

    // By name, as a host connects or emits them through the meta-object system.
    QVERIFY(QMetaObject::invokeMethod(&window, "dbLoaded"));
    QCOMPARE(dbSpy.count(), 1);
    QCOMPARE(stateSpy.count(), 0);
    QVERIFY(QMetaObject::invokeMethod(&window, "stateChanged"));
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(dbSpy.count(), 1);
}

void tst_MainWindow::looseChildShownBeforePlacingStaysOutOfSight()
{
    NTarsel::CMainWindow window;
    window.resize(800, 600);
    auto* central = new QWidget;
    window.setCentralWidget(central);
    QToolBar* toolBar = window.addToolBar(QStringLiteral("Tools"));
    auto* selector = new QComboBox(&window);
    selector->addItems({QStringLiteral("first"), QStringLiteral("second")});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    selector->show();
    QVERIFY(!selector->isHidden());
    QVERIFY(!window.rect().intersects(selector->geometry()));
    QVERIFY(!central->geometry().isEmpty() && central->isVisible());

    toolBar->addWidget(selector);
    QTRY_VERIFY(selector->isVisible());
    QVERIFY(toolBar->rect().intersects(selector->geometry()));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
