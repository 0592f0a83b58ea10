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
        const boost::shared_ptr<NFastReport::IDataSet> fresh = ReportDataSet::create("Findings", {"Gene", "Change"});
        QVERIFY(fresh->rowSize() == 0u && fresh->columnSize() == 2u);
        QCOMPARE(QString::fromLatin1(fresh->columnName(1)), QStringLiteral("Change"));
        QVERIFY_EXCEPTION_THROWN(fresh->columnName(2), std::out_of_range);
        QVERIFY_EXCEPTION_THROWN(fresh->value(0, 0), std::out_of_range);

        ReportDataSet dataSet("Findings", {"a", "b", "c"});
        dataSet.push_back({boost::any(), boost::any(2)});
        dataSet.push_back({boost::any(1), boost::any(2), boost::any(3), boost::any(4)});
        QVERIFY(dataSet.value(0, 0).empty());
        QVERIFY_EXCEPTION_THROWN(dataSet.value(0, 2), std::out_of_range);
        QCOMPARE(boost::any_cast<int>(dataSet.value(1, 3)), 4);
        QVERIFY_EXCEPTION_THROWN(dataSet.value(2, 0), std::out_of_range);
    }

    void copiesAreIndependent()
    {
        ReportDataSet original("Original", {"a"});
        original.push_back({boost::any(1)});
        ReportDataSet copy(original);
        copy.push_back({boost::any(2)});
        ReportDataSet assigned("Other", {"x", "y"});
        assigned = original;
        ReportDataSet& same = assigned;
        assigned = same;
        original.push_back({boost::any(3)});
        original.push_back({boost::any(4)});
        QVERIFY(copy.rowSize() == 2u && assigned.rowSize() == 1u && original.rowSize() == 3u);
        QCOMPARE(QString::fromLatin1(assigned.name()), QStringLiteral("Original"));
        QCOMPARE(assigned.columnSize(), 1u);
    }

    void createdDataSetIsReleasedThroughRelease()
    {
        const auto cell = std::make_shared<int>(7);
        {
            boost::shared_ptr<NFastReport::IDataSet> dataSet = ReportDataSet::create("Counted", {"a"});
            QVERIFY(boost::get_deleter<void (*)(ReportDataSet*)>(dataSet));
            static_cast<ReportDataSet*>(dataSet.get())->push_back({boost::any(cell)});
            QCOMPARE(cell.use_count(), 2L);
        }
        QCOMPARE(cell.use_count(), 1L);
    }
};

QTEST_APPLESS_MAIN(TestReportDataSet)
#include "tst_ReportDataSet.moc"
