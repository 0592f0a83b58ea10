#include "host/core/MainWindow.h"

#include <QComboBox>
#include <QDockWidget>
#include <QPointer>
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

// Per widget: C central, - a hidden child, ! gone or no longer a child of the window.
template <class Widget>
QString shown(const QMainWindow& window, const QList<QPointer<Widget> >& widgets)
{
    QString result;
    for (Widget* widget : widgets)
        result += !widget || widget->parentWidget() != &window || widget->isWindow() ? '!'
                  : widget->isHidden()                                              ? '-'
                  : window.centralWidget() == widget                                ? 'C'
                                                                                    : '+';
    return result;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void swapsRestoreInReverseOrder()
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
        // Swapping in the current widget or none is no swap: one restore then reaches the first.
        const std::vector<std::pair<int, QString> > steps{{-1, "C-!"}, {1, "-C!"}, {2, "--C"}, {-1, "-C-"}, {-1, "C--"}, {-1, "C--"},
                                                          {2, "--C"}, {2, "--C"}, {3, "--C"}, {-1, "C--"}};
        for (const auto& step : steps) {
            if (step.first < 0)
                window.RestoreCentralWidget();
            else
                window.SetCentralWidget(step.first < 3 ? widgets[step.first].data() : nullptr);
            QCOMPARE(shown(window, widgets), step.second);
        }
        QVERIFY(widgets[0]->isVisible());
    }

    void docksFollowState()
    {
        NTarsel::CMainWindow window;
        QVERIFY(window.HasControlsAccess() && window.GetLocale() == "en");
        QList<QPointer<QDockWidget> > docks{new QDockWidget("Samples", &window), new QDockWidget("Sequences", &window)};
        window.AddNormalDockWidget(Qt::LeftDockWidgetArea, docks[0]);
        window.AddNormalDockWidget(Qt::BottomDockWidgetArea, docks[1]);
        window.SwitchToState(NTarsel::MainWindowStateAnalysis);
        QCOMPARE(window.GetState(), NTarsel::MainWindowStateAnalysis);
        // A dock registered during an analysis waits for the normal layout.
        docks << new QDockWidget("Late", &window);
        window.AddNormalDockWidget(Qt::RightDockWidgetArea, docks[2]);
        QCOMPARE(shown(window, docks), QStringLiteral("---"));
        window.SwitchToState(NTarsel::MainWindowStateNormal);
        QCOMPARE(shown(window, docks), QStringLiteral("+++"));
        // A registered dock that the host deleted is skipped, not touched.
        delete docks[2];
        window.SwitchToState(NTarsel::MainWindowStateAnalysis);
        window.addDockWidget(Qt::RightDockWidgetArea, docks[0]);
        window.setupDockWidgets();
        QCOMPARE(shown(window, docks), QStringLiteral("++!"));
        QCOMPARE(window.dockWidgetArea(docks[0]), Qt::LeftDockWidgetArea);
    }

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
