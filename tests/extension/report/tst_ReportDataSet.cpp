#include "extension/report/ReportDataSet.h"

#include <QtTest>

#include <stdexcept>

using NTarsel::NExtension::ReportDataSet;

class TestReportDataSet : public QObject
{
    Q_OBJECT

private slots:

    void rowsKeepTheirOwnWidth()
    {
        ReportDataSet dataSet("Findings", {"a", "b", "c"});
        dataSet.push_back({boost::any(), boost::any(2)});
        dataSet.push_back({boost::any(1), boost::any(2), boost::any(3), boost::any(4)});
        QVERIFY_EXCEPTION_THROWN(dataSet.value(0, 2), std::out_of_range);
        QCOMPARE(boost::any_cast<int>(dataSet.value(1, 3)), 4);
        QVERIFY_EXCEPTION_THROWN(dataSet.value(2, 0), std::out_of_range);
        QVERIFY_EXCEPTION_THROWN(dataSet.columnName(3), std::out_of_range);
    }

    // Assignment is written out: it takes every member of the other data set.
    void assignmentCopiesEverything()
    {
        ReportDataSet original("Original", {"a"});
        original.push_back({boost::any(1)});
        ReportDataSet assigned("Other", {"x", "y"});
        assigned = original;
        QCOMPARE(QString::fromLatin1(assigned.name()), QStringLiteral("Original"));
        QCOMPARE(assigned.columnSize(), 1u);
        QCOMPARE(boost::any_cast<int>(assigned.value(0, 0)), 1);
    }

    void createdDataSetIsReleasedThroughRelease()
    {
        const auto cell = std::make_shared<int>(7);
        boost::shared_ptr<NFastReport::IDataSet> dataSet = ReportDataSet::create("Counted", {"a"});
        QVERIFY(boost::get_deleter<void (*)(ReportDataSet*)>(dataSet));
        static_cast<ReportDataSet*>(dataSet.get())->push_back({boost::any(cell)});
        dataSet.reset();
        // The cell's copy went with the data set.
        QCOMPARE(cell.use_count(), 1L);
    }
};

QTEST_APPLESS_MAIN(TestReportDataSet)
#include "tst_ReportDataSet.moc"
