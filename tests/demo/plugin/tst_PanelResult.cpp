// The demo plug-in's reference panels and what a sample's calls make of them.
#include "demo/plugin/PanelResult.h"
#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"
#include "tests/demo/plugin/VcfTestSupport.h"

#include <QtTest>

class TestPanelResult : public QObject
{
    Q_OBJECT

private slots:
    void matchingNeedsSiteAllelesAndCarrier_data();
    void matchingNeedsSiteAllelesAndCarrier();
    void referenceTableLineErrors_data();
    void referenceTableLineErrors();
};

void TestPanelResult::matchingNeedsSiteAllelesAndCarrier_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("finding");
    // The headline names the most severe class found.
    QTest::addColumn<QString>("status");
    const QByteArray format = "\t50\tPASS\t.\tGT:DP\t";
    const QByteArray myh7 = "chr14\t23429005\t.\tC\tT" + format;
    const QString pathogenic = QStringLiteral("Pathogenic variant found");
    const QString none = QStringLiteral("No clinically significant variant found");
    // A reference call and another allele at a panel's site, and a second alternative,
    // are the genotyper's test (the demo's clean sample).
    QTest::newRow("same site and alleles") << myh7 + "0/1:40\n" << "MYH7 Pathogenic" << pathogenic;
    QTest::newRow("chromosome without prefix") << "14\t23429005\t.\tC\tT" + format + "0/1:40\n" << "MYH7 Pathogenic"
                                               << pathogenic;
    QTest::newRow("deletion") << "chr11\t2786113\t.\tGTTC\tG" + format + "0/1:40\n" << "KCNQ1 Likely pathogenic"
                              << "Likely pathogenic variant found";
    QTest::newRow("other position") << "chr14\t23429006\t.\tC\tT" + format + "0/1:40\n" << QString() << none;
    QTest::newRow("other chromosome") << "chr15\t23429005\t.\tC\tT" + format + "0/1:40\n" << QString() << none;
    QTest::newRow("no call") << myh7 + "./.:40\n" << QString() << none;
}

void TestPanelResult::matchingNeedsSiteAllelesAndCarrier()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, finding);
    QFETCH(QString, status);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one.vcf"));
    QVERIFY(NHostTest::WriteFile(path, vcfText(record, "##contig=<ID=14,length=107043718>\n")));
    NGenotyper::CVcfReader reader;
    NGenotyper::CReferenceTable table;
    std::string error;
    QVERIFY2(reader.read(NCommon::ToLocal(path), c_sColumn, &error), error.c_str());
    QVERIFY2(table.load(NCommon::ToLocal(shipped(QStringLiteral("genotyper/references/cardio-panel.tsv"))), &error),
             error.c_str());

    const NGenotyper::CPanelResult result(reader, table);

    QStringList found;
    for (const NGenotyper::SFinding& each : result.findings())
        found << QString::fromStdString(each.variant.gene + " "
                                        + NGenotyper::classificationText(each.variant.classification));
    QCOMPARE(found, finding.isEmpty() ? QStringList() : QStringList{finding});
    QCOMPARE(QString::fromStdString(result.status()), status);
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
    QVERIFY(NHostTest::WriteFile(path, lines));
    NGenotyper::CReferenceTable table;
    std::string message;

    const bool loaded = table.load(NCommon::ToLocal(path), &message);

    QCOMPARE(loaded, error.isEmpty());
    if (loaded) {
        QCOMPARE(table.variants().size(), std::size_t(2));
        QVERIFY(table.find("chr3", 38603929, "T", "C"));
        QCOMPARE(table.find("chr3", 38603929, "T", "C")->classification, NGenotyper::ClassificationBenign);
    } else {
        QVERIFY2(QString::fromStdString(message).startsWith(path + QStringLiteral(": ") + error), message.c_str());
    }
}

QTEST_GUILESS_MAIN(TestPanelResult)

#include "tst_PanelResult.moc"
