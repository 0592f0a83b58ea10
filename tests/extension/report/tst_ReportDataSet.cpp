#include "extension/report/ReportDataSet.h"

#include <QtTest>

#include <stdexcept>
#include <string>

using NTarsel::NExtension::ReportDataSet;

namespace {

// Counts live copies, so that the tests see every cell value destroyed.
struct SCounted
{
    static int alive;
    int value;
    explicit SCounted(int v)
        : value(v)
    {
        ++alive;
    }
    SCounted(const SCounted& other)
        : value(other.value)
    {
        ++alive;
    }
    ~SCounted() { --alive; }
};

int SCounted::alive = 0;

std::vector<std::string> columns(std::initializer_list<const char*> names)
{
    return std::vector<std::string>(names.begin(), names.end());
}

} // namespace

class TestReportDataSet : public QObject
{
    Q_OBJECT

private slots:
    void freshDataSet();
    void rowsKeepTheirOwnWidth();
    void emptyCellIsNotAnError();
    void storedRowsAndReturnedCellsAreCopies();
    void copiesAreIndependent();
    void createdDataSetIsReleasedThroughRelease();
};

void TestReportDataSet::freshDataSet()
{
    const boost::shared_ptr<NFastReport::IDataSet> dataSet = ReportDataSet::create("Findings", columns({"Gene", "Change"}));
    QCOMPARE(QString::fromLatin1(dataSet->name()), QStringLiteral("Findings"));
    QCOMPARE(dataSet->rowSize(), 0u);
    QCOMPARE(dataSet->columnSize(), 2u);
    QCOMPARE(QString::fromLatin1(dataSet->columnName(1)), QStringLiteral("Change"));
    QVERIFY_EXCEPTION_THROWN(dataSet->columnName(2), std::out_of_range);
    QVERIFY_EXCEPTION_THROWN(dataSet->value(0, 0), std::out_of_range);
}

void TestReportDataSet::rowsKeepTheirOwnWidth()
{
    ReportDataSet dataSet("Findings", columns({"a", "b", "c", "d", "e"}));
    dataSet.push_back({boost::any(1), boost::any(2), boost::any(3)});
    QCOMPARE(boost::any_cast<int>(dataSet.value(0, 2)), 3);
    QVERIFY_EXCEPTION_THROWN(dataSet.value(0, 3), std::out_of_range);

    dataSet.push_back({boost::any(1), boost::any(2), boost::any(3), boost::any(4), boost::any(5), boost::any(6)});
    QCOMPARE(boost::any_cast<int>(dataSet.value(1, 5)), 6);
    QVERIFY_EXCEPTION_THROWN(dataSet.value(2, 0), std::out_of_range);

    ReportDataSet noColumns("Bare", std::vector<std::string>());
    noColumns.push_back({boost::any(std::string("cell"))});
    noColumns.push_back({});
    QCOMPARE(noColumns.columnSize(), 0u);
    QCOMPARE(noColumns.rowSize(), 2u);
    QCOMPARE(boost::any_cast<std::string>(noColumns.value(0, 0)), std::string("cell"));
    QVERIFY_EXCEPTION_THROWN(noColumns.value(1, 0), std::out_of_range);
}

void TestReportDataSet::emptyCellIsNotAnError()
{
    ReportDataSet dataSet("Findings", columns({"a", "b"}));
    dataSet.push_back({boost::any(), boost::any(QStringLiteral("x"))});
    QVERIFY(dataSet.value(0, 0).empty());
    QCOMPARE(boost::any_cast<QString>(dataSet.value(0, 1)), QStringLiteral("x"));
}

void TestReportDataSet::storedRowsAndReturnedCellsAreCopies()
{
    ReportDataSet dataSet("Findings", columns({"a"}));
    std::vector<boost::any> row{boost::any(std::string("before"))};
    dataSet.push_back(row);
    row[0] = std::string("after");
    row.push_back(boost::any(7));
    QCOMPARE(boost::any_cast<std::string>(dataSet.value(0, 0)), std::string("before"));

    boost::any cell = dataSet.value(0, 0);
    *boost::any_cast<std::string>(&cell) = "changed";
    QCOMPARE(boost::any_cast<std::string>(dataSet.value(0, 0)), std::string("before"));
}

void TestReportDataSet::copiesAreIndependent()
{
    ReportDataSet original("Original", columns({"a"}));
    original.push_back({boost::any(1)});

    ReportDataSet copy(original);
    copy.push_back({boost::any(2)});
    QCOMPARE(original.rowSize(), 1u);
    QCOMPARE(copy.rowSize(), 2u);

    ReportDataSet assigned("Other", columns({"x", "y"}));
    assigned = original;
    original.push_back({boost::any(3)});
    QCOMPARE(QString::fromLatin1(assigned.name()), QStringLiteral("Original"));
    QCOMPARE(assigned.columnSize(), 1u);
    QCOMPARE(assigned.rowSize(), 1u);
    QCOMPARE(original.rowSize(), 2u);
}

void TestReportDataSet::createdDataSetIsReleasedThroughRelease()
{
    QCOMPARE(SCounted::alive, 0);
    {
        boost::shared_ptr<NFastReport::IDataSet> dataSet = ReportDataSet::create("Counted", columns({"a"}));
        QVERIFY(boost::get_deleter<void (*)(ReportDataSet*)>(dataSet));
        auto* concrete = static_cast<ReportDataSet*>(dataSet.get());
        concrete->push_back({boost::any(SCounted(1)), boost::any(SCounted(2))});
        QCOMPARE(SCounted::alive, 2);
        boost::shared_ptr<NFastReport::IDataSet> second = dataSet;
        dataSet.reset();
        QCOMPARE(SCounted::alive, 2);
        QCOMPARE(boost::any_cast<SCounted>(second->value(0, 1)).value, 2);
    }
    QCOMPARE(SCounted::alive, 0);
    ReportDataSet::release(nullptr);
}

QTEST_APPLESS_MAIN(TestReportDataSet)
#include "tst_ReportDataSet.moc"
