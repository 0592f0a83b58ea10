#include "demo/plugin/ReferenceTable.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cctype>

namespace NGenotyper {

namespace {

// The last, the gene's HGNC identifier, may be left out.
const int c_nColumns = 8;
// Far more than any panel lists; guards against reading a wrong, huge file.
const qint64 c_nMaxFileSize = 16 * 1024 * 1024;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return text;
}

bool isAllele(const std::string& allele)
{
    return !allele.empty() && std::all_of(allele.begin(), allele.end(), [](char c) {
        return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N';
    });
}

bool parsePosition(const QByteArray& text, long long* pos)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 1 || text.startsWith('+'))
        return false;
    *pos = value;
    return true;
}

std::string textOf(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string chromKey(const std::string& chrom)
{
    if (chrom.size() > 3 && upper(chrom.substr(0, 3)) == "CHR")
        return chrom.substr(3);
    return chrom;
}

} // namespace

CReferenceTable::CReferenceTable() = default;

CReferenceTable::~CReferenceTable() = default;

bool CReferenceTable::load(const std::string& path, std::string* error)
{
    m_vVariants.clear();
    m_index.clear();
    auto fail = [&](const std::string& reason) {
        m_vVariants.clear();
        m_index.clear();
        if (error)
            *error = path + ": " + reason;
        return false;
    };
    auto failAt = [&](int line, const std::string& reason) {
        return fail("line " + std::to_string(line) + ": " + reason);
    };

    QFile file(QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size()))));
    if (!file.exists())
        return fail("no such file");
    if (!file.open(QIODevice::ReadOnly))
        return fail("cannot read the file: " + file.errorString().toStdString());
    if (file.size() > c_nMaxFileSize)
        return fail("the file is too large for a reference table (" + std::to_string(file.size()) + " bytes)");
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail("cannot read the file: " + file.errorString().toStdString());

    std::vector<SKnownVariant> variants;
    std::map<Key, std::size_t> index;
    std::vector<int> lineOf;
    const QList<QByteArray> lines = data.split('\n');
    for (int number = 1; number <= lines.size(); ++number) {
        QByteArray line = lines.at(number - 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;

        const QList<QByteArray> columns = line.split('\t');
        if (columns.size() != c_nColumns && columns.size() != c_nColumns - 1)
            return failAt(number, "expected 7 or 8 tab-separated columns (chrom, pos, ref, alt, gene, change, "
                                  "classification, optionally the gene's HGNC identifier), found "
                                      + std::to_string(columns.size()));
        SKnownVariant variant;
        variant.chrom = textOf(columns.at(0).trimmed());
        variant.ref = upper(textOf(columns.at(2).trimmed()));
        variant.alt = upper(textOf(columns.at(3).trimmed()));
        variant.gene = textOf(columns.at(4).trimmed());
        variant.change = textOf(columns.at(5).trimmed());
        const std::string classification = textOf(columns.at(6).trimmed());
        if (columns.size() == c_nColumns)
            variant.geneId = textOf(columns.at(7).trimmed());

        if (variant.chrom.empty())
            return failAt(number, "the chromosome is empty");
        if (!parsePosition(columns.at(1).trimmed(), &variant.pos))
            return failAt(number, "the position \"" + textOf(columns.at(1)) + "\" is not a positive whole number");
        if (!isAllele(variant.ref))
            return failAt(number, "the reference allele \"" + variant.ref + "\" is not made of A, C, G, T, N");
        if (!isAllele(variant.alt) || variant.alt == variant.ref)
            return failAt(number, "the alternative allele \"" + variant.alt
                                      + "\" is not made of A, C, G, T, N or equals the reference allele");
        if (variant.gene.empty())
            return failAt(number, "the gene is empty");
        if (!parseClassification(classification, &variant.classification))
            return failAt(number, "unknown classification \"" + classification
                                      + "\" (expected Pathogenic, Likely pathogenic, Uncertain significance, "
                                        "Likely benign or Benign)");

        const Key key = keyOf(variant.chrom, variant.pos, variant.ref, variant.alt);
        const auto known = index.find(key);
        if (known != index.end())
            return failAt(number, "the variant is listed already on line " + std::to_string(lineOf[known->second]));
        index.emplace(key, variants.size());
        variants.push_back(variant);
        lineOf.push_back(number);
    }
    if (variants.empty())
        return fail("the table lists no variant");

    m_vVariants.swap(variants);
    m_index.swap(index);
    return true;
}

const std::vector<SKnownVariant>& CReferenceTable::variants() const
{
    return m_vVariants;
}

const SKnownVariant* CReferenceTable::find(const std::string& chrom, long long pos, const std::string& ref,
                                           const std::string& alt) const
{
    const auto found = m_index.find(keyOf(chrom, pos, ref, alt));
    return found == m_index.end() ? nullptr : &m_vVariants[found->second];
}

CReferenceTable::Key CReferenceTable::keyOf(const std::string& chrom, long long pos, const std::string& ref,
                                            const std::string& alt)
{
    return Key(chromKey(chrom), pos, upper(ref), upper(alt));
}

} // namespace NGenotyper
