// The demo plug-in's VCF reader: the calls it reads from a sample's column, in
// every format htslib reads.
#include "demo/plugin/VcfReader.h"
#include "tests/demo/plugin/VcfTestSupport.h"

#include <QtTest>

#include <htslib/vcf.h>

namespace {

bool convertToBcf(const QString& from, const QString& to, const char* mode)
{
    htsFile* in = hts_open(NCommon::ToLocal(from).c_str(), "r");
    htsFile* out = hts_open(NCommon::ToLocal(to).c_str(), mode);
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

// The calls read, each as "ref>alt genotype zygosity depth".
QStringList callTexts(const NGenotyper::CVcfReader& reader)
{
    QStringList texts;
    for (const NGenotyper::SVariantCall& call : reader.calls())
        texts << QStringLiteral("%1>%2 %3 %4 %5")
                     .arg(QString::fromStdString(call.ref), QString::fromStdString(call.alt),
                          QString::fromStdString(call.genotype),
                          QString::fromStdString(NGenotyper::zygosityText(call.zygosity)))
                     .arg(call.depth);
    return texts;
}

} // namespace

class TestVcfReader : public QObject
{
    Q_OBJECT

private slots:
    void genotypeCalls_data();
    void genotypeCalls();
};

void TestVcfReader::genotypeCalls_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("columns");
    QTest::addColumn<QStringList>("calls");
    const auto row = [](const char* name, const QByteArray& record, const QStringList& calls,
                        const QByteArray& columns = c_sColumn) { QTest::newRow(name) << record << columns << calls; };
    const QByteArray site = "chr14\t23429005\t.\tC\t";
    row("heterozygous", site + "T\t50\tPASS\t.\tGT:DP\t0/1:41\n", {"C>T 0/1 heterozygous 41"});
    row("homozygous", site + "T\t50\tPASS\t.\tGT:DP\t1/1:38\n", {"C>T 1/1 homozygous 38"});
    row("phased", site + "T\t50\tPASS\t.\tGT:DP\t1|0:33\n", {"C>T 1|0 heterozygous 33"});
    row("reference call", site + "T\t.\tPASS\t.\tGT:DP\t0/0:60\n", {"C>T 0/0 not carried 60"});
    row("no call", site + "T\t.\tPASS\t.\tGT:DP\t./.:2\n", {"C>T ./. no call 2"});
    row("half a call", site + "T\t20\tPASS\t.\tGT:DP\t./1:9\n", {"C>T ./1 heterozygous 9"});
    row("haploid", "chrX\t3500000\t.\tG\tA\t50\tPASS\t.\tGT:DP\t1:27\n", {"G>A 1 hemizygous 27"});
    row("second alternative only", site + "T,G\t50\tPASS\t.\tGT:DP\t2/2:45\n",
        {"C>T 2/2 not carried 45", "C>G 2/2 homozygous 45"});
    row("depth missing", site + "T\t50\tPASS\t.\tGT:DP\t0/1:.\n", {"C>T 0/1 heterozygous -1"});
    row("lower-case alleles", "chr14\t23429005\t.\tc\tt\t50\tPASS\t.\tGT:DP\t0/1:30\n", {"C>T 0/1 heterozygous 30"});
    // A BCF record's sample part is read whole and the column picked from it.
    row("trio, the middle column", site + "T,G\t50\tPASS\t.\tGT:DP\t0/0:40\t0/1:41\t2|2:9\n",
        {"C>T 0/1 heterozygous 41", "C>G 0/1 not carried 41"}, "MOTHER\tDR2612-01\tFATHER");
}

void TestVcfReader::genotypeCalls()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, columns);
    QFETCH(QStringList, calls);
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("one.vcf"));
    const QString bcf = folder.filePath(QStringLiteral("one.bcf"));
    QVERIFY(NHostTest::WriteFile(text, vcfText(record, {}, columns)));

    // The text file, then the same as compressed and as plain BCF.
    for (const char* mode : {"", "wb", "wbu"}) {
        QVERIFY(!*mode || convertToBcf(text, bcf, mode));
        NGenotyper::CVcfReader reader;
        std::string error;
        QVERIFY2(reader.read(NCommon::ToLocal(*mode ? bcf : text), c_sColumn, &error), error.c_str());
        QVERIFY2(callTexts(reader) == calls, qPrintable(QString(mode) + ": " + callTexts(reader).join(", ")));
        QCOMPARE(reader.recordCount(), 1u);
        QCOMPARE(reader.sampleName(), std::string(c_sColumn));
    }
}

QTEST_GUILESS_MAIN(TestVcfReader)

#include "tst_VcfReader.moc"
