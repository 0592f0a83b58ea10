#include "host/core/MainWindow.h"

#include <QComboBox>
#include <QToolBar>
#include <QtTest>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
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
