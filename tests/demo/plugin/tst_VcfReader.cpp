// The demo plug-in's VCF reader: the calls it reads from a sample's column, in
// every format htslib reads.
#include "demo/plugin/VcfReader.h"
#include "tests/demo/plugin/VcfTestSupport.h"

#include <QtTest>

#include <htslib/vcf.h>

namespace {

bool convertToBcf(const QString& from, const QString& to, const char* mode)
{
    htsFile* in = hts_open(local(from).c_str(), "r");
    htsFile* out = hts_open(local(to).c_str(), mode);
    bcf_hdr_t* header = in ? bcf_hdr_read(in) : nullptr;
    bcf1_t* record = bcf_init();
    bool written = in && out && header && record && bcf_hdr_write(out, header) == 0;
    int status = 0;
    while (written && (status = bcf_read(in, header, record)) == 0)
        written = bcf_write(out, header, record) == 0;
    written = written && status == -1;
    bcf_destroy(record);
    if (header)
        bcf_hdr_destroy(header);
    if (in)
        hts_close(in);
    return out && hts_close(out) == 0 && written;
}

QStringList callTexts(const NGenotyper::CVcfReader& reader)
{
    QStringList texts;
    for (const NGenotyper::SVariantCall& call : reader.calls())
        texts << QString::fromStdString(call.chrom + ":" + std::to_string(call.pos) + " " + call.ref + ">" + call.alt
                                        + " " + call.genotype + " " + std::to_string(call.depth));
    return texts;
}

} // namespace

class TestVcfReader : public QObject
{
    Q_OBJECT

private slots:
    void genotypeCalls_data();
    void genotypeCalls();
    void bcfReadsLikeVcf_data();
    void bcfReadsLikeVcf();
};

void TestVcfReader::genotypeCalls_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("calls");
    const QByteArray site = "chr14\t23429005\t.\tC\t";
    QTest::newRow("heterozygous") << site + "T\t50\tPASS\t.\tGT:DP\t0/1:41\n"
                                  << QStringList{"T 0/1 heterozygous 41"};
    QTest::newRow("homozygous") << site + "T\t50\tPASS\t.\tGT:DP\t1/1:38\n" << QStringList{"T 1/1 homozygous 38"};
    QTest::newRow("phased") << site + "T\t50\tPASS\t.\tGT:DP\t1|0:33\n" << QStringList{"T 1|0 heterozygous 33"};
    QTest::newRow("reference call") << site + "T\t.\tPASS\t.\tGT:DP\t0/0:60\n"
                                    << QStringList{"T 0/0 not carried 60"};
    QTest::newRow("no call") << site + "T\t.\tPASS\t.\tGT:DP\t./.:2\n" << QStringList{"T ./. no call 2"};
    QTest::newRow("half a call") << site + "T\t20\tPASS\t.\tGT:DP\t./1:9\n" << QStringList{"T ./1 heterozygous 9"};
    QTest::newRow("haploid") << QByteArray("chrX\t3500000\t.\tG\tA\t50\tPASS\t.\tGT:DP\t1:27\n")
                             << QStringList{"A 1 hemizygous 27"};
    QTest::newRow("two alternatives") << site + "T,G\t50\tPASS\t.\tGT:DP\t1/2:52\n"
                                      << QStringList{"T 1/2 heterozygous 52", "G 1/2 heterozygous 52"};
    QTest::newRow("second alternative only") << site + "T,G\t50\tPASS\t.\tGT:DP\t2/2:45\n"
                                             << QStringList{"T 2/2 not carried 45", "G 2/2 homozygous 45"};
    QTest::newRow("depth missing") << site + "T\t50\tPASS\t.\tGT:DP\t0/1:.\n" << QStringList{"T 0/1 heterozygous -1"};
    QTest::newRow("no depth field") << site + "T\t50\tPASS\t.\tGT\t0/1\n" << QStringList{"T 0/1 heterozygous -1"};
    QTest::newRow("lower-case alleles") << QByteArray("chr14\t23429005\t.\tc\tt\t50\tPASS\t.\tGT:DP\t0/1:30\n")
                                        << QStringList{"T 0/1 heterozygous 30"};
}

void TestVcfReader::genotypeCalls()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, calls);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one.vcf"));
    QVERIFY(writeAll(path, vcfText(record)));
    NGenotyper::CVcfReader reader;
    std::string error;

    QVERIFY2(reader.read(local(path), c_sColumn, &error), error.c_str());

    QStringList found;
    for (const NGenotyper::SVariantCall& call : reader.calls()) {
        QVERIFY2(call.ref == "C" || call.ref == "G", call.ref.c_str());
        found << QStringLiteral("%1 %2 %3 %4")
                     .arg(QString::fromStdString(call.alt), QString::fromStdString(call.genotype),
                          QString::fromStdString(NGenotyper::zygosityText(call.zygosity)))
                     .arg(call.depth);
    }
    QCOMPARE(found, calls);
    QCOMPARE(reader.recordCount(), 1u);
    QCOMPARE(reader.sampleName(), std::string(c_sColumn));
}

void TestVcfReader::bcfReadsLikeVcf_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QByteArray>("mode");
    const QByteArray shippedVcf = readAll(shipped(QStringLiteral("project/samples/DR2612-01.vcf")));
    QTest::newRow("compressed") << shippedVcf << c_sColumn << QByteArray("wb");
    QTest::newRow("plain") << shippedVcf << c_sColumn << QByteArray("wbu");
    // A BCF record's sample part is read whole and the column picked from it.
    QByteArray trio;
    for (int index = 0; index < 12; ++index)
        trio += "chr14\t" + QByteArray::number(23429005 + index) + "\t.\tC\tT,G\t50\tPASS\t.\tGT:DP\t0/0:40\t0/"
                + QByteArray::number(1 + index % 2) + ":" + QByteArray::number(41 + index) + "\t2|2:9\n";
    QTest::newRow("trio, the middle column") << vcfText(trio, {}, "MOTHER\tDR2612-01\tFATHER") << "DR2612-01"
                                             << QByteArray("wb");
}

void TestVcfReader::bcfReadsLikeVcf()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, column);
    QFETCH(QByteArray, mode);
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("sample.vcf"));
    const QString bcf = folder.filePath(QStringLiteral("sample.bcf"));
    QVERIFY(writeAll(text, vcf));
    QVERIFY(convertToBcf(text, bcf, mode.constData()));

    NGenotyper::CVcfReader fromVcf;
    NGenotyper::CVcfReader fromBcf;
    std::string error;
    QVERIFY2(fromVcf.read(local(text), local(column), &error), error.c_str());
    QVERIFY2(fromBcf.read(local(bcf), local(column), &error), error.c_str());
    QVERIFY(fromBcf.recordCount() >= 10);
    QCOMPARE(fromBcf.recordCount(), fromVcf.recordCount());
    QCOMPARE(callTexts(fromBcf), callTexts(fromVcf));
    QCOMPARE(fromBcf.sampleName(), fromVcf.sampleName());
    QCOMPARE(fromBcf.meanDepth(), fromVcf.meanDepth());
}

QTEST_GUILESS_MAIN(TestVcfReader)

#include "tst_VcfReader.moc"
