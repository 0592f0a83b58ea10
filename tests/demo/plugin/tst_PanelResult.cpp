// The demo plug-in's reference panels and what a sample's calls make of them.
#include "demo/plugin/PanelResult.h"
#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"
#include "tests/demo/plugin/VcfTestSupport.h"

#include <QtTest>

#include <QTemporaryDir>

class TestPanelResult : public QObject
{
    Q_OBJECT

private slots:
    void matchingNeedsSiteAllelesAndCarrier_data();
    void matchingNeedsSiteAllelesAndCarrier();
    void everyKnownVariantIsFoundInSeverityOrder();
    void referenceTableLineErrors_data();
    void referenceTableLineErrors();
};

void TestPanelResult::matchingNeedsSiteAllelesAndCarrier_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("finding");
    const QByteArray format = "\t50\tPASS\t.\tGT:DP\t";
    QTest::newRow("same site and alleles") << "chr14\t23429005\t.\tC\tT" + format + "0/1:40\n" << "MYH7 Pathogenic";
    QTest::newRow("chromosome without prefix") << "14\t23429005\t.\tC\tT" + format + "0/1:40\n" << "MYH7 Pathogenic";
    QTest::newRow("second alternative") << "chr11\t2778050\t.\tC\tT,G" + format + "0/2:40\n" << "KCNQ1 Benign";
    QTest::newRow("deletion") << "chr11\t2786113\t.\tGTTC\tG" + format + "0/1:40\n" << "KCNQ1 Likely pathogenic";
    QTest::newRow("other alternative allele") << "chr14\t23429005\t.\tC\tA" + format + "0/1:40\n" << QString();
    QTest::newRow("other position") << "chr14\t23429006\t.\tC\tT" + format + "0/1:40\n" << QString();
    QTest::newRow("other chromosome") << "chr15\t23429005\t.\tC\tT" + format + "0/1:40\n" << QString();
    QTest::newRow("reference call") << "chr14\t23429005\t.\tC\tT" + format + "0/0:40\n" << QString();
    QTest::newRow("no call") << "chr14\t23429005\t.\tC\tT" + format + "./.:40\n" << QString();
}

void TestPanelResult::matchingNeedsSiteAllelesAndCarrier()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, finding);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one.vcf"));
    QVERIFY(writeAll(path, vcfText(record, "##contig=<ID=14,length=107043718>\n")));
    NGenotyper::CVcfReader reader;
    NGenotyper::CReferenceTable table;
    std::string error;
    QVERIFY2(reader.read(local(path), c_sColumn, &error), error.c_str());
    QVERIFY2(table.load(local(shipped(QStringLiteral("genotyper/references/cardio-panel.tsv"))), &error),
             error.c_str());

    const NGenotyper::CPanelResult result(reader, table);

    QStringList found;
    for (const NGenotyper::SFinding& each : result.findings())
        found << QString::fromStdString(each.variant.gene + " "
                                        + NGenotyper::classificationText(each.variant.classification));
    QCOMPARE(found, finding.isEmpty() ? QStringList() : QStringList{finding});
    QCOMPARE(result.summary().findings, found.size());
}

void TestPanelResult::everyKnownVariantIsFoundInSeverityOrder()
{
    QTemporaryDir folder;
    const QString tablePath = shipped(QStringLiteral("genotyper/references/cardio-panel.tsv"));
    const QList<QByteArray> lines = readAll(tablePath).split('\n');
    QByteArray records;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QList<QByteArray> fields = line->split('\t');
        if (!line->startsWith('#') && fields.size() == 7)
            records += fields[0] + '\t' + fields[1] + "\t.\t" + fields[2] + '\t' + fields[3]
                       + "\t50\tPASS\t.\tGT:DP\t0/1:50\n";
    }
    const QString vcf = folder.filePath(QStringLiteral("all.vcf"));
    QVERIFY(writeAll(vcf, vcfText(records)));
    NGenotyper::CVcfReader reader;
    NGenotyper::CReferenceTable table;
    std::string error;
    QVERIFY2(reader.read(local(vcf), c_sColumn, &error), error.c_str());
    QVERIFY2(table.load(local(tablePath), &error), error.c_str());

    const NGenotyper::CPanelResult result(reader, table);

    QCOMPARE(result.findings().size(), table.variants().size());
    const QStringList order{"Pathogenic", "Likely pathogenic", "Uncertain significance", "Likely benign", "Benign"};
    QSet<QString> classes;
    for (std::size_t index = 0; index < result.findings().size(); ++index) {
        const NGenotyper::SKnownVariant& variant = result.findings()[index].variant;
        const QString text = QString::fromStdString(NGenotyper::classificationText(variant.classification));
        classes.insert(text);
        if (index == 0)
            continue;
        const NGenotyper::SKnownVariant& before = result.findings()[index - 1].variant;
        const int rank = order.indexOf(text);
        const int rankBefore =
            order.indexOf(QString::fromStdString(NGenotyper::classificationText(before.classification)));
        QVERIFY2(rankBefore < rank || (rankBefore == rank && before.gene <= variant.gene), variant.change.c_str());
    }
    QCOMPARE(classes.size(), order.size());
    QCOMPARE(result.status(), std::string("Pathogenic variant found"));
}

void TestPanelResult::referenceTableLineErrors_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("error");
    const QByteArray good = "# chrom\tpos\tref\talt\tgene\tchange\tclassification\n"
                            "chr14\t23429005\tC\tT\tMYH7\tc.1208G>A p.Arg403Gln\tPathogenic\n";
    QTest::newRow("comments, blank lines, CRLF, letter case")
        << good + "\r\n#\r\nchr3\t38603929\tt\tc\tSCN5A\tc.1673A>G p.His558Arg\tbenign\r\n" << QString();
    QTest::newRow("too few columns") << good + "chr3\t38603929\tT\tC\tSCN5A\tBenign\n" << "line 3: expected 7";
    QTest::newRow("position not a number") << good + "chr3\t38603929a\tT\tC\tSCN5A\tc.1A>G\tBenign\n"
                                           << "line 3: the position";
    QTest::newRow("position zero") << good + "chr3\t0\tT\tC\tSCN5A\tc.1A>G\tBenign\n" << "line 3: the position";
    QTest::newRow("bad reference allele") << good + "chr3\t38603929\tX\tC\tSCN5A\tc.1A>G\tBenign\n"
                                          << "line 3: the reference allele";
    QTest::newRow("alternative equals reference") << good + "chr3\t38603929\tT\tT\tSCN5A\tc.1A>G\tBenign\n"
                                                  << "line 3: the alternative allele";
    QTest::newRow("unknown classification") << good + "chr3\t38603929\tT\tC\tSCN5A\tc.1A>G\tHarmless\n"
                                            << "line 3: unknown classification \"Harmless\"";
    QTest::newRow("listed twice") << good + "\n14\t23429005\tC\tT\tMYH7\tc.1208G>A\tBenign\n"
                                  << "line 4: the variant is listed already on line 2";
    QTest::newRow("only comments") << QByteArray("# nothing\n\n") << "the table lists no variant";
}

void TestPanelResult::referenceTableLineErrors()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, error);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("panel.tsv"));
    QVERIFY(writeAll(path, lines));
    NGenotyper::CReferenceTable table;
    std::string message;

    const bool loaded = table.load(local(path), &message);

    QCOMPARE(loaded, error.isEmpty());
    if (loaded) {
        QCOMPARE(table.variants().size(), std::size_t(2));
        QVERIFY(table.find("chr3", 38603929, "T", "C"));
        QCOMPARE(table.find("chr3", 38603929, "T", "C")->classification, NGenotyper::ClassificationBenign);
    } else {
        QVERIFY2(QString::fromStdString(message).startsWith(path + QStringLiteral(": ") + error), message.c_str());
        QVERIFY(table.variants().empty());
    }
}

QTEST_GUILESS_MAIN(TestPanelResult)

#include "tst_PanelResult.moc"
