#include "host/core/MainWindow.h"

#include <QComboBox>
#include <QDockWidget>
#include <QPointer>
#include <QSignalSpy>
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

// The central widget and which of the others are still hidden children of the window:
// a swap must neither delete a widget nor turn it into a top-level window of its own.
QString shown(const NTarsel::CMainWindow& window, const QList<QPointer<QWidget> >& widgets)
{
    QString result;
    for (const QPointer<QWidget>& widget : widgets) {
        if (!widget || widget->parentWidget() != &window || widget->isWindow())
            result += QLatin1Char('!');
        else
            result += window.centralWidget() == widget && widget->isVisibleTo(&window) ? QLatin1Char('C')
                      : widget->isHidden()                                             ? QLatin1Char('-')
                                                                                       : QLatin1Char('?');
    }
    return result;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void swapsRestoreInReverseOrder();
    void docksFollowState();
    void windowModifiedWithoutWarning();
    void looseChildShownBeforePlacingStaysOutOfSight();
};

void tst_MainWindow::swapsRestoreInReverseOrder()
{
    NTarsel::CMainWindow window;
    QList<QPointer<QWidget> > widgets{new QWidget, new QWidget, new QWidget};
    // Without a central widget of its own the window is left with none.
    window.SetCentralWidget(widgets[1]);
    window.RestoreCentralWidget();
    QVERIFY(!window.centralWidget());
    window.setCentralWidget(widgets[0]);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy stateChanged(&window, &NTarsel::CMainWindow::stateChanged);

    const std::vector<std::pair<int, QString> > steps{
        {-1, "C-!"}, {1, "-C!"}, {2, "--C"}, {-1, "-C-"}, {-1, "C--"}, {-1, "C--"}, {2, "--C"},
        // Swapping in the current widget or none is no swap: one restore reaches the first.
        {2, "--C"}, {3, "--C"}, {-1, "C--"}};
    for (const auto& step : steps) {
        if (step.first < 0)
            window.RestoreCentralWidget();
        else
            window.SetCentralWidget(step.first < 3 ? widgets[step.first].data() : nullptr);
        QCOMPARE(shown(window, widgets), step.second);
    }
    QVERIFY(widgets[0]->isVisible());
    // Hosts connect and emit the signals by name, through the meta-object system.
    QVERIFY(QMetaObject::invokeMethod(&window, "stateChanged") && QMetaObject::invokeMethod(&window, "dbLoaded"));
    QCOMPARE(stateChanged.count(), 1);
}

void tst_MainWindow::docksFollowState()
{
    NTarsel::CMainWindow window;
    QVERIFY(window.HasControlsAccess());
    QCOMPARE(window.GetLocale(), std::string("en"));
    QList<QDockWidget*> docks{new QDockWidget("Samples", &window), new QDockWidget("Sequences", &window)};
    window.AddNormalDockWidget(Qt::LeftDockWidgetArea, docks[0]);
    window.AddNormalDockWidget(Qt::BottomDockWidgetArea, docks[1]);
    auto hidden = [&docks] {
        QString result;
        for (QDockWidget* dock : docks)
            result += dock ? (dock->isHidden() ? '-' : '+') : ' ';
        return result;
    };
    QCOMPARE(hidden(), QStringLiteral("++"));
    window.SwitchToState(NTarsel::MainWindowStateAnalysis);
    QCOMPARE(window.GetState(), NTarsel::MainWindowStateAnalysis);
    // A dock registered during an analysis waits for the normal layout.
    docks << new QDockWidget("Late", &window);
    window.AddNormalDockWidget(Qt::RightDockWidgetArea, docks[2]);
    QCOMPARE(hidden(), QStringLiteral("---"));
    window.SwitchToState(NTarsel::MainWindowStateNormal);
    QCOMPARE(hidden(), QStringLiteral("+++"));

    // A registered dock that the host deleted is skipped, not touched.
    delete docks.takeAt(2);
    window.SwitchToState(NTarsel::MainWindowStateAnalysis);
    window.addDockWidget(Qt::RightDockWidgetArea, docks[0]);
    QCOMPARE(hidden(), QStringLiteral("--"));
    window.setupDockWidgets();
    QCOMPARE(hidden(), QStringLiteral("++"));
    QCOMPARE(window.dockWidgetArea(docks[0]), Qt::LeftDockWidgetArea);
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
    QVERIFY(window.isWindowModified() && window.windowTitle().contains(QLatin1String("[*]")));
}

void tst_MainWindow::looseChildShownBeforePlacingStaysOutOfSight()
{
    NTarsel::CMainWindow window;
    window.resize(800, 600);
    window.setCentralWidget(new QWidget);
    QToolBar* toolBar = window.addToolBar(QStringLiteral("Tools"));
    auto* selector = new QComboBox(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    selector->show();
    QVERIFY(!selector->isHidden() && !window.rect().intersects(selector->geometry()));
    toolBar->addWidget(selector);
    QTRY_VERIFY(selector->isVisible());
    QVERIFY(toolBar->rect().intersects(selector->geometry()));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
