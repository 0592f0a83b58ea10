#include "host/log/Logger.h"
#include "host/report/DataSet.h"
#include "testkit/RecordingLogger.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QtTest>

using NFastReport::CFastReportWidget;
using NReportTest::DataSet;

namespace {
struct SUnknownCell
{
    int value;
};
} // namespace

// The viewer itself: its pages, cells, colours, zoom and the name it suggests for a PDF.
// (That it announces updates, clears and frees its data sets is tst_ReportGeneration's part.)
class tst_FastReportWidget : public QObject
{
    Q_OBJECT

    QString render(CFastReportWidget* widget, const QByteArray& html)
    {
        return NReportTest::Render(widget, m_dir.filePath(QString::number(++m_nTemplates)), html);
    }

    // A report of several pages, shown in a window of 600 x 500.
    bool showLongReport(CFastReportWidget* widget)
    {
        widget->SetDataSets({DataSet("Numbers", {"N"}, NReportTest::Rows(200, {std::string("row")}))});
        widget->resize(600, 500);
        widget->show();
        return QTest::qWaitForWindowExposed(widget) && render(widget, "{% dataset \"Numbers\" %}").isEmpty();
    }

    QTemporaryDir m_dir;
    int m_nTemplates = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("tst_FastReportWidget"));
    }
    void init() { NLog::SetLogger("", m_pLogger = boost::make_shared<NLog::CRecordingLogger>()); }
    void cleanup() { NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>()); }

    void emptyErrorAndReportPages()
    {
        CFastReportWidget widget(nullptr);
        auto* pages = widget.findChild<QStackedWidget*>();
        auto shown = [pages] { return pages->currentWidget()->objectName() + ' ' + qobject_cast<QLabel*>(pages->currentWidget())->text(); };
        render(&widget, "<p>one</p>\n<p>{% if Case %}</p>\n");
        const QString place = m_dir.filePath(QString::number(m_nTemplates)) + "/report.html, line 2";
        QVERIFY2(shown().startsWith("ReportError ") && shown().contains(place) && shown().contains(widget.LastError()), qPrintable(shown()));
        QCOMPARE(render(&widget, "<p>Case</p>"), QString());
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("ReportPage"));
        widget.ClearReport();
        QCOMPARE(shown(), QStringLiteral("ReportEmpty No report"));
    }

    // While a long report is built only Cancel and Escape get through; cancelling
    // leaves no report, and the next render is whole again.
    void longReportCancelledFromItsProgressPage()
    {
        NReportTest::Rows rows;
        for (int row = 0; row < 6000; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row), row});
        CFastReportWidget widget(nullptr);
        const auto findings = DataSet("Findings", {"Gene", "Position"}, rows);
        widget.SetDataSets({findings});
        QPushButton other(QStringLiteral("Other"));
        int otherClicks = 0;
        connect(&other, &QPushButton::clicked, [&otherClicks] { ++otherClicks; });
        auto* pages = widget.findChild<QStackedWidget*>();
        QString during;
        QTimer::singleShot(0, &widget, [&] {
            QTest::mouseClick(&other, Qt::LeftButton);
            during = pages->currentWidget()->objectName();
            QTest::keyClick(&other, Qt::Key_Escape);
        });
        render(&widget, "<p>Findings</p>{% dataset \"Findings\" %}");
        QCOMPARE(during, QStringLiteral("ReportProgress"));
        QCOMPARE(otherClicks, 0);
        QVERIFY(!widget.HasReport());
        QCOMPARE(widget.LastError(), QStringLiteral("Rendering the report was cancelled."));
        QCOMPARE(qobject_cast<QLabel*>(pages->currentWidget())->text(), widget.LastError());
        QVERIFY(m_pLogger->Contains("Rendering the report was cancelled.", NLog::LogLevelInfo));

        // What fails after a cancelled render is an error again.
        const QString reportPath = widget.GetReportPath();
        widget.SetDataSets({});
        QVERIFY(!render(&widget, "{% if %}").isEmpty());
        QVERIFY(qobject_cast<QLabel*>(pages->currentWidget())->text().startsWith(QStringLiteral("The report could not be rendered.")));

        widget.SetReportPath(reportPath);
        widget.SetDataSets({findings});
        QTimer::singleShot(0, &widget, [&] { QTest::mouseClick(&other, Qt::LeftButton); });
        widget.UpdateReport();
        QVERIFY2(widget.HasReport() && widget.PageCount() > 10, qPrintable(widget.LastError()));
        QCOMPARE(otherClicks, 0);
    }

    // A render asked for while a long one is built follows it instead of running
    // inside it; ClearReport while one is built drops it.
    void rendersDoNotNest()
    {
        NReportTest::Rows rows;
        for (int row = 0; row < 6000; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row)});
        const auto findings = DataSet("Findings", {"Gene"}, rows);
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{"PatientFIO", "First"}});
        widget.SetDataSets({findings});
        int updates = 0;
        connect(&widget, &CFastReportWidget::reportUpdated, [&updates] { ++updates; });
        int updatesWhenAsked = -1;
        QTimer::singleShot(0, &widget, [&] {
            widget.SetVariables({{"PatientFIO", "Second"}});
            widget.UpdateReport();
            updatesWhenAsked = updates;
        });
        QCOMPARE(render(&widget, "<p>{{ PatientFIO }}</p>{% dataset \"Findings\" %}"), QString());
        QCOMPARE(updatesWhenAsked, 0);
        QCOMPARE(updates, 2);
        QVERIFY(widget.HasReport() && widget.ReportText().startsWith(QStringLiteral("Second\n")));

        QTimer::singleShot(0, &widget, [&widget] { widget.ClearReport(); });
        widget.UpdateReport();
        QVERIFY(!widget.HasReport());
        QCOMPARE(updates, 2);
        QCOMPARE(widget.findChild<QStackedWidget*>()->currentWidget()->objectName(), QStringLiteral("ReportEmpty"));
    }

    // A report built again takes over only the tables that come out exactly the
    // same: a changed cell or colour shows at once.
    void onlyUnchangedTablesTakenOver()
    {
        const QColor first(0x12, 0xab, 0x34), second(0x56, 0x34, 0xcd);
        CFastReportWidget widget(nullptr);
        auto findings = [](const char* gene) {
            return DataSet("Findings", {"Gene", "Class"}, {{std::string(gene), std::string("Pathogenic")}});
        };
        widget.SetVariables({{"PatientFIO", "Doe Jane"}});
        widget.SetMemoColors({{"Pathogenic", first}});
        widget.SetDataSets({findings("MYH7")});
        QCOMPARE(render(&widget, "<p>{{ PatientFIO }}</p>{% dataset \"Findings\" color_by \"Class\" %}"), QString());
        widget.SetVariables({{"PatientFIO", "Roe Richard"}});
        widget.UpdateReport();
        QCOMPARE(widget.ReportText().simplified(), QStringLiteral("Roe Richard Gene Class MYH7 Pathogenic"));
        widget.SetDataSets({findings("MYH6")});
        widget.UpdateReport();
        QCOMPARE(widget.ReportText().simplified(), QStringLiteral("Roe Richard Gene Class MYH6 Pathogenic"));
        QVERIFY(NReportTest::CountPixels(widget, first) > 100);
        widget.SetMemoColors({{"Pathogenic", second}});
        widget.UpdateReport();
        QVERIFY(NReportTest::CountPixels(widget, second) > 100 && NReportTest::CountPixels(widget, first) == 0);
    }

    void cellsAsTheReportShowsThem()
    {
        CFastReportWidget widget(nullptr);
        widget.setLocale(QLocale::c());
        widget.SetDataSets({DataSet("Cells", {"Text"}, {{std::string("D8S1179"), static_cast<const char*>(nullptr), QStringLiteral("vWA"), -42, 9000000000LL,
                                                         3.14159, 7.0f, true, QDate(2026, 3, 5), QDateTime(QDate(2026, 3, 5), QTime(9, 30)), boost::any()}}),
                            DataSet("Ragged", {"A", "B"}, {{std::string("only-a")}, {1, 2, 3}}),
                            DataSet("Markers", {"Name", "Payload"}, {{std::string("second"), SUnknownCell{7}}})});
        QCOMPARE(render(&widget, "{% dataset \"Cells\" %}{% dataset \"Ragged\" %}{% dataset \"Markers\" %}"), QString());
        // A row wider than the columns gets an empty header.
        QCOMPARE(widget.ReportText().trimmed().replace('\n', '|'),
                 QString("Text||||||||||D8S1179||vWA|-42|9000000000|3.14|7.00|yes|05.03.2026|05.03.2026 09:30||"
                         "A|B||only-a|||1|2|3||Name|Payload|second|[?]"));
        // Only the cell of a type the viewer cannot show is logged, with its place.
        QCOMPARE(m_pLogger->GetMessages(), std::vector<std::string>{"Data set \"Markers\", row 0, column 1 (\"Payload\"): cannot show a cell of type (anonymous namespace)::SUnknownCell"});
    }

    // Numbers in the viewer's locale, without group separators (a keyed cell's too);
    // dates in the one form of reports.
    void cellsInTheViewersLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("C") << QLocale::c() << "-1234.50|7.00|9000000000|-1234|05.03.2026|3.14";
        QTest::newRow("English") << QLocale(QLocale::English) << "-1234.50|7.00|9000000000|-1234|05.03.2026|3.14";
        QTest::newRow("German") << QLocale(QLocale::German) << "-1234,50|7,00|9000000000|-1234|05.03.2026|3,14";
    }
    void cellsInTheViewersLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        CFastReportWidget widget(nullptr);
        widget.setLocale(locale);
        widget.SetDataSets({DataSet("Numbers", {"N"}, {{-1234.5, 7.0f, 9000000000LL, -1234, QDate(2026, 3, 5),
                                                         NFastReport::SColoredCell{3.14159, "Pathogenic"}}})});
        QCOMPARE(render(&widget, "{% dataset \"Numbers\" %}"), QString());
        QCOMPARE(widget.ReportText().trimmed().replace('\n', '|'), "N||||||" + shown);
    }

    // A keyed cell is coloured by its key wherever it stands, and by nothing else;
    // plain cells of the color_by column by their text.
    void coloursByKeyOrText_data()
    {
        QTest::addColumn<QString>("text");
        // Empty: a plain cell.
        QTest::addColumn<QString>("key");
        // The tag's color_by; empty: none.
        QTest::addColumn<QString>("colorBy");
        // The memo colour the cell gets; empty: none.
        QTest::addColumn<QString>("colour");
        QTest::newRow("plain cell, by its text") << "Pathogenic" << "" << "Class" << "Pathogenic";
        QTest::newRow("plain cell without color_by") << "Pathogenic" << "" << "" << "";
        QTest::newRow("the key, not the text") << "Pathogenic" << "Benign" << "Class" << "Benign";
        QTest::newRow("keyed cell without color_by") << "Gutartig" << "Benign" << "" << "Benign";
        QTest::newRow("unknown key: no colour, the text not tried") << "Pathogenic" << "Gone" << "Class" << "";
        QTest::newRow("color_by naming no column") << "Pathogenic" << "" << "Klasse" << "";
    }
    void coloursByKeyOrText()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, colorBy);
        QFETCH(QString, colour);
        const QColor pathogenic(0x12, 0xab, 0x34), benign(0x56, 0x34, 0xcd);
        CFastReportWidget widget(nullptr);
        widget.SetMemoColors({{"Pathogenic", pathogenic}, {"Benign", benign}});
        const boost::any cell = key.isEmpty() ? boost::any(text.toStdString())
                                              : boost::any(NFastReport::SColoredCell{text.toStdString(), key.toStdString()});
        widget.SetDataSets({DataSet("Findings", {"Gene", "Class"}, {{std::string("MYH7"), cell}})});
        const QByteArray tag = colorBy.isEmpty() ? QByteArray() : " color_by \"" + colorBy.toUtf8() + '"';
        QCOMPARE(render(&widget, "{% dataset \"Findings\"" + tag + " %}"), QString());
        QVERIFY(widget.ReportText().contains(text) && (key.isEmpty() || !widget.ReportText().contains(key)));
        QCOMPARE(NReportTest::CountPixels(widget, pathogenic) > 100, colour == "Pathogenic");
        QCOMPARE(NReportTest::CountPixels(widget, benign) > 100, colour == "Benign");
        // A color_by that names no column is logged with the columns there are.
        std::vector<std::string> logged;
        if (colorBy == "Klasse")
            logged.push_back("Data set \"Findings\" has no column \"Klasse\" to colour by; its columns are \"Gene\", \"Class\"");
        QCOMPARE(m_pLogger->GetMessages(), logged);
    }

    void memoColoursReachColorByCells()
    {
        const QColor pathogenic(0x12, 0xab, 0x34), benign(0x56, 0x34, 0xcd);
        CFastReportWidget widget(nullptr);
        widget.SetMemoColors({{"Pathogenic", pathogenic}, {"Benign", benign}});
        widget.SetDataSets({DataSet("Findings", {"Gene", "Class"}, {{std::string("Pathogenic"), std::string("Pathogenic")},
                                                                   {std::string("BRCA2"), std::string("Benign")},
                                                                   {std::string("TP53"), std::string("No such colour")}})});
        render(&widget, "{% dataset \"Findings\" color_by \"Class\" %}");
        // Only the Class column is coloured, so the gene named like a colour is not.
        const int pathogenicPixels = NReportTest::CountPixels(widget, pathogenic);
        QVERIFY(pathogenicPixels > 100 && qAbs(pathogenicPixels - NReportTest::CountPixels(widget, benign)) < pathogenicPixels / 5);
    }

    // The view opens fitted to the page's width; the zoom follows the keys, the wheel
    // and the zoom box (presets and typed percentages).
    void zoomByKeysWheelAndZoomBox()
    {
        CFastReportWidget widget(nullptr);
        QVERIFY(showLongReport(&widget));
        QVERIFY(widget.PageCount() > 2);
        auto* view = widget.findChild<QAbstractScrollArea*>(QStringLiteral("ReportView"));
        auto* zoomBox = widget.findChild<QComboBox*>(QStringLiteral("ZoomBox"));
        const auto percent = [zoomBox] { return zoomBox->currentText().section(' ', 0, 0).toInt(); };
        // The page is 210 mm wide, 793.7 pixels at 96 dpi and a zoom of 100 %.
        const int fitted = percent();
        QVERIFY2(qAbs(fitted / 100.0 * 793.7 - view->viewport()->width()) < 50, qPrintable(zoomBox->currentText()));

        QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
        const int zoomedIn = percent();
        QTest::keyClick(view, Qt::Key_Equal, Qt::ControlModifier);
        QWheelEvent wheel(QPointF(50, 50), view->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY2(fitted < zoomedIn && zoomedIn < percent(), qPrintable(QStringLiteral("%1 %2 %3").arg(fitted).arg(zoomedIn).arg(percent())));
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(percent(), fitted);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(percent() < fitted);

        // Typed, with or without the sign; nonsense and the limits leave a zoom that is.
        for (const auto& typed : {std::make_pair("150", 150), std::make_pair("75 %", 75), std::make_pair("lots", 75),
                                  std::make_pair("9000", 400), std::make_pair("1", 25)}) {
            zoomBox->lineEdit()->selectAll();
            QTest::keyClicks(zoomBox->lineEdit(), QLatin1String(typed.first));
            QTest::keyClick(zoomBox->lineEdit(), Qt::Key_Return);
            QCOMPARE(percent(), typed.second);
        }
        QVERIFY(view->hasFocus());
        // Fit page: the whole page, from its top, is in view.
        emit zoomBox->activated(zoomBox->findText(QStringLiteral("Fit page")));
        QVERIFY(percent() < fitted);
        QVERIFY(percent() / 100.0 * 1122.5 <= view->viewport()->height());
        emit zoomBox->activated(zoomBox->findText(QStringLiteral("Fit width")));
        QCOMPARE(percent(), fitted);
    }

    // The page keys work as soon as the viewer shows a report; the toolbar pages
    // and the page box too, and its print preview shows every page.
    void pageNavigationAndPreview()
    {
        CFastReportWidget widget(nullptr);
        QVERIFY(showLongReport(&widget));
        auto* view = widget.findChild<QAbstractScrollArea*>(QStringLiteral("ReportView"));
        const int last = widget.PageCount() - 1;
        QVERIFY(last >= 2 && view->hasFocus());
        auto* pageBox = widget.findChild<QSpinBox*>(QStringLiteral("PageBox"));
        auto page = [pageBox] { return pageBox->value() - 1; };
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(page(), last);
        QTest::keyClick(view, Qt::Key_PageUp);
        QCOMPARE(page(), last - 1);
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(page(), 0);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(page(), 1);
        widget.findChild<QAction*>(QStringLiteral("LastPageAction"))->trigger();
        QCOMPARE(pageBox->text(), QStringLiteral("Page %1 of %1").arg(last + 1));
        widget.findChild<QAction*>(QStringLiteral("PreviousPageAction"))->trigger();
        widget.findChild<QAction*>(QStringLiteral("FirstPageAction"))->trigger();
        widget.findChild<QAction*>(QStringLiteral("NextPageAction"))->trigger();
        QCOMPARE(page(), 1);
        // A page typed into the box is shown on Enter, and the page keys go on from it.
        pageBox->setFocus();
        pageBox->selectAll();
        QTest::keyClicks(pageBox, QString::number(last));
        QCOMPARE(page(), 1);
        QTest::keyClick(pageBox, Qt::Key_Return);
        QCOMPARE(page(), last - 1);
        QVERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(page(), last);

        int previewPages = -1;
        QTimer::singleShot(0, &widget, [&previewPages] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (auto* preview = dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr)
                previewPages = preview->pageCount();
            if (dialog)
                dialog->reject();
        });
        widget.findChild<QAction*>(QStringLiteral("PrintPreviewAction"))->trigger();
        QCOMPARE(previewPages, last + 1);
        // Every action of the viewer has an icon, also without an icon theme.
        for (QAction* action : widget.findChild<QToolBar*>(QStringLiteral("ReportToolBar"))->actions())
            QVERIFY2(action->isSeparator() || action->text().isEmpty() || !action->icon().pixmap(16).isNull(), qPrintable(action->text()));
    }

    // Save as PDF: the name chosen gets its suffix, the viewer says where it saved, and
    // the folder is proposed next time.
    void saveAsPdfThroughTheDialog()
    {
        CFastReportWidget widget(nullptr);
        QCOMPARE(render(&widget, "<p>Saved</p>"), QString());
        QTimer::singleShot(0, [this] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectFile(m_dir.filePath(QStringLiteral("chosen")));
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        QSignalSpy saved(&widget, &CFastReportWidget::pdfSaved);
        widget.saveAsPDF();
        QVERIFY(NHostTest::ReadFile(m_dir.filePath(QStringLiteral("chosen.pdf"))).startsWith("%PDF-"));
        QCOMPARE(saved.value(0).value(0).toString(), m_dir.filePath(QStringLiteral("chosen.pdf")));
        QCOMPARE(QFileInfo(widget.SuggestedPdfPath()).absolutePath(), m_dir.path());
    }

    // Project, sample and date, without characters file systems refuse, in the folder of the last PDF.
    void suggestedPdfPath()
    {
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{"ProjectPath", "/data/runs/run7.tproj"}, {"SampleName", "a/b:c*d?"}, {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}});
        QSettings().setValue(QStringLiteral("report/lastPdfDirectory"), m_dir.path());
        QCOMPARE(widget.SuggestedPdfPath(), QDir(m_dir.path()).filePath("run7_a_b_c_d__05.03.2026.pdf"));
    }
};

QTEST_MAIN(tst_FastReportWidget)
#include "tst_FastReportWidget.moc"
