#include "demo/plugin/VcfReader.h"

#include "demo/plugin/VcfFileCheck.h"

#include <QFile>
#include <QFileInfo>

#include <htslib/bgzf.h>
#include <htslib/hts.h>
#include <htslib/kseq.h>
#include <htslib/vcf.h>

#include <algorithm>
#include <cstring>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace NGenotyper {

namespace {

struct SFileCloser
{
    void operator()(htsFile* file) const { hts_close(file); }
};

struct SHeaderDeleter
{
    void operator()(bcf_hdr_t* header) const { bcf_hdr_destroy(header); }
};

struct SRecordDeleter
{
    void operator()(bcf1_t* record) const { bcf_destroy(record); }
};

// The status readRecord gives for a record whose names htslib must not see.
const int c_nBadRecordName = -100;

// The next record, as bcf_read reads it. A text file's line is read here and its
// names checked before htslib parses it (see RecordNameProblem); problem then says
// why and c_nBadRecordName is returned.
int readRecord(htsFile* file, const bcf_hdr_t* header, bcf1_t* record, std::string* problem)
{
    if (file->format.format != vcf)
        return bcf_read(file, header, record);
    const int status = hts_getline(file, KS_SEP_LINE, &file->line);
    if (status < 0)
        return status;
    *problem = RecordNameProblem(file->line.s, file->line.l);
    return problem->empty() ? vcf_parse(&file->line, header, record) : c_nBadRecordName;
}

typedef std::unique_ptr<htsFile, SFileCloser> FilePtr;
typedef std::unique_ptr<bcf_hdr_t, SHeaderDeleter> HeaderPtr;
typedef std::unique_ptr<bcf1_t, SRecordDeleter> RecordPtr;

// A buffer that htslib's bcf_get_* functions grow with realloc.
struct SInt32Buffer
{
    int32_t* data = nullptr;
    int size = 0;

    SInt32Buffer() = default;
    SInt32Buffer(const SInt32Buffer&) = delete;
    SInt32Buffer& operator=(const SInt32Buffer&) = delete;
    ~SInt32Buffer() { std::free(data); }
};

std::string upper(const char* text)
{
    std::string result(text ? text : "");
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return result;
}

std::string formatDescription(const htsFormat* format)
{
    char* description = hts_format_description(format);
    const std::string result(description ? description : "an unknown format");
    std::free(description);
    return result;
}

// What htslib found wrong with a record, from its error flags.
std::string recordProblems(int errorCode)
{
    static const struct
    {
        int flag;
        const char* text;
    } c_problems[] = {{BCF_ERR_NCOLS, "too few columns"},
                      {BCF_ERR_CTG_UNDEF, "a chromosome missing from the header"},
                      {BCF_ERR_CTG_INVALID, "an invalid chromosome name"},
                      {BCF_ERR_TAG_UNDEF, "a field missing from the header"},
                      {BCF_ERR_TAG_INVALID, "an invalid field"},
                      {BCF_ERR_LIMITS, "a value out of range"},
                      {BCF_ERR_CHAR, "an invalid character"}};
    std::string text;
    for (const auto& problem : c_problems) {
        if (errorCode & problem.flag)
            text += (text.empty() ? "" : ", ") + std::string(problem.text);
    }
    return text.empty() ? std::string("a field cannot be parsed") : "it has " + text;
}

// Whether the FORMAT field tag of record, when it has one, is stored as numbers. The
// bcf_get_format_* functions end the whole program (exit) on a field stored in any
// other way, which a damaged file can give them.
bool storedAsNumbers(const bcf_hdr_t* header, bcf1_t* record, const char* tag)
{
    const bcf_fmt_t* field = bcf_get_fmt(header, record, tag);
    if (!field)
        return true;
    switch (field->type) {
    case BCF_BT_INT8:
    case BCF_BT_INT16:
    case BCF_BT_INT32:
    case BCF_BT_FLOAT:
        return true;
    default:
        return false;
    }
}

// The sample list that bcf_hdr_set_samples takes for the one column name: as a
// list of one line in memory, because a list given as text splits at commas and
// reads a leading '^' as "all but".
std::string sampleList(const std::string& name)
{
    const QByteArray line = QByteArray(name.data(), static_cast<int>(name.size())) + '\n';
    return "data:;base64," + line.toBase64().toStdString();
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "'" : ", '") + name + "'";
    return text.empty() ? std::string("none") : text;
}

EZygosity zygosityOf(const int32_t* alleles, int ploidy, int allele)
{
    int called = 0;
    int copies = 0;
    for (int index = 0; index < ploidy; ++index) {
        if (alleles[index] == bcf_int32_vector_end)
            break;
        if (bcf_gt_is_missing(alleles[index]))
            continue;
        ++called;
        if (bcf_gt_allele(alleles[index]) == allele)
            ++copies;
    }
    if (called == 0)
        return ZygosityNoCall;
    if (copies == 0)
        return ZygosityNotCarried;
    if (called == 1)
        return ploidy == 1 || alleles[1] == bcf_int32_vector_end ? ZygosityHemizygous : ZygosityHeterozygous;
    return copies == called ? ZygosityHomozygous : ZygosityHeterozygous;
}

// Whether every allele that the genotype names is one of the record's.
bool allelesExist(const int32_t* alleles, int ploidy, int alleleCount)
{
    for (int index = 0; index < ploidy && alleles[index] != bcf_int32_vector_end; ++index) {
        if (!bcf_gt_is_missing(alleles[index]) && bcf_gt_allele(alleles[index]) >= alleleCount)
            return false;
    }
    return true;
}

std::string genotypeText(const int32_t* alleles, int ploidy)
{
    std::string text;
    for (int index = 0; index < ploidy; ++index) {
        if (alleles[index] == bcf_int32_vector_end)
            break;
        if (index > 0)
            text += bcf_gt_is_phased(alleles[index]) ? '|' : '/';
        text += bcf_gt_is_missing(alleles[index]) ? std::string(".") : std::to_string(bcf_gt_allele(alleles[index]));
    }
    return text;
}

} // namespace

std::string zygosityText(EZygosity zygosity)
{
    switch (zygosity) {
    case ZygosityNoCall:
        return QT_TRANSLATE_NOOP("QObject", "no call");
    case ZygosityNotCarried:
        return QT_TRANSLATE_NOOP("QObject", "not carried");
    case ZygosityHeterozygous:
        return QT_TRANSLATE_NOOP("QObject", "heterozygous");
    case ZygosityHomozygous:
        return QT_TRANSLATE_NOOP("QObject", "homozygous");
    case ZygosityHemizygous:
        return QT_TRANSLATE_NOOP("QObject", "hemizygous");
    }
    return std::string();
}

CVcfReader::CVcfReader() = default;

CVcfReader::~CVcfReader() = default;

void CVcfReader::clear()
{
    m_vCalls.clear();
    m_nRecords = 0;
    m_sSampleName.clear();
    m_nDepthSum = 0;
    m_nDepthRecords = 0;
}

bool CVcfReader::read(const std::string& path, const std::string& column, std::string* error)
{
    clear();
    // htslib would print its own messages, with advice that does not fit this program,
    // on the error stream; what went wrong is said below from what it returns.
    hts_set_log_level(HTS_LOG_OFF);
    auto fail = [&](const std::string& reason) {
        clear();
        if (error)
            *error = path + ": " + reason;
        return false;
    };

    const QString fileName = QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size())));
    const QFileInfo info(fileName);
    if (path.empty())
        return fail("no file name given");
    if (!info.exists())
        return fail("no such file");
    if (!info.isFile())
        return fail("not a file");
    if (!info.isReadable())
        return fail("cannot read the file: permission denied");
    if (info.size() == 0)
        return fail("the file is empty");

    FilePtr file(hts_open(path.c_str(), "r"));
    if (!file)
        return fail("cannot open the file");
    const htsFormat* format = hts_get_format(file.get());
    if (format->category != variant_data || (format->format != vcf && format->format != bcf))
        return fail("not a VCF file (htslib reads it as " + formatDescription(format) + ")");
    if (format->compression == bgzf && hts_check_EOF(file.get()) == 0)
        return fail("truncated: the compressed file lacks its end-of-file block");

    if (format->format == bcf) {
        const std::string problem =
            BcfSizeProblem(path, format->compression == no_compression ? info.size() : qint64(-1));
        if (!problem.empty())
            return fail(problem);
    }

    if (format->format == vcf) {
        const std::string problem = VcfHeaderIndexProblem(path);
        if (!problem.empty())
            return fail(problem);
    }

    const HeaderPtr header(bcf_hdr_read(file.get()));
    if (!header)
        return fail(VcfHeaderProblem(path));
    if (bcf_hdr_nsamples(header.get()) < 1)
        return fail("no sample column: the file holds sites only, without genotypes");
    const std::vector<std::string> columns(header->samples, header->samples + bcf_hdr_nsamples(header.get()));
    if (std::find(columns.begin(), columns.end(), column) == columns.end())
        return fail("no sample column named '" + column + "'; the file has the sample columns " + joined(columns));
    // In a text file only the column asked for is ever parsed. A BCF record's sample
    // part is one binary block that htslib would cut to the column unchecked (a damaged
    // block overruns its buffer there), so it is unpacked whole, with its checks, and
    // the column picked from it.
    int columnIndex = static_cast<int>(std::find(columns.begin(), columns.end(), column) - columns.begin());
    if (format->format == vcf) {
        if (bcf_hdr_set_samples(header.get(), sampleList(column).c_str(), 1) != 0
            || bcf_hdr_nsamples(header.get()) != 1 || header->samples[0] != column)
            return fail("the sample column '" + column + "' cannot be read on its own");
        columnIndex = 0;
    }
    const std::string sampleName = header->samples[columnIndex];

    const RecordPtr record(bcf_init());
    if (!record)
        return fail("out of memory");
    SInt32Buffer genotypes;
    SInt32Buffer depths;
    const int sampleCount = bcf_hdr_nsamples(header.get());
    std::vector<SVariantCall> calls;
    unsigned int records = 0;
    long long depthSum = 0;
    unsigned int depthRecords = 0;

    int status = 0;
    std::string nameProblem;
    while ((status = readRecord(file.get(), header.get(), record.get(), &nameProblem)) == 0) {
        const unsigned int number = records + 1;
        const std::string where = "record " + std::to_string(number);
        // htslib adds a chromosome or field missing from the header and reads on.
        const int problems = record->errcode & ~(BCF_ERR_CTG_UNDEF | BCF_ERR_TAG_UNDEF);
        if (problems != 0)
            return fail(where + " is malformed: " + recordProblems(problems));
        if (bcf_unpack(record.get(), BCF_UN_ALL) < 0)
            return fail(where + " is malformed: it cannot be unpacked");
        const char* chrom = bcf_seqname(header.get(), record.get());
        // htslib takes an empty line as a record on a chromosome named "".
        if (format->format == vcf && file->line.l == 0)
            return fail(where + " is an empty line");
        if (!chrom || !*chrom || record->n_allele < 1)
            return fail(where + " is malformed: it lacks the chromosome or the reference allele");
        if (record->pos < 0)
            return fail(where + " (" + chrom + ") is malformed: its position is not a positive number");
        // A line that ends before its FORMAT and sample columns still parses as a site;
        // FORMAT "." with the sample's column is a site without genotype data.
        if (record->n_sample == 0)
            return fail(where + " (" + chrom + ":" + std::to_string(record->pos + 1)
                        + ") is malformed: the line ends before its sample columns");

        SVariantCall site;
        site.chrom = chrom;
        site.pos = static_cast<long long>(record->pos) + 1;
        site.ref = upper(record->d.allele[0]);

        if (!storedAsNumbers(header.get(), record.get(), "GT"))
            return fail(where + " (" + site.chrom + ":" + std::to_string(site.pos)
                        + ") is malformed: its genotype (GT) is not a list of allele numbers");
        const int genotypeValues = bcf_get_genotypes(header.get(), record.get(), &genotypes.data, &genotypes.size);
        const int ploidy = genotypeValues > 0 ? genotypeValues / sampleCount : 0;
        const int32_t* alleles = ploidy > 0 ? genotypes.data + columnIndex * ploidy : nullptr;
        if (ploidy > 0 && !allelesExist(alleles, ploidy, record->n_allele))
            return fail(where + " (" + site.chrom + ":" + std::to_string(site.pos)
                        + ") is malformed: its genotype (GT) names an allele that the record does not have");
        if (ploidy > 0)
            site.genotype = genotypeText(alleles, ploidy);

        // A depth that is not stored as a number is as good as none.
        const int depthValues = storedAsNumbers(header.get(), record.get(), "DP")
                                    ? bcf_get_format_int32(header.get(), record.get(), "DP", &depths.data, &depths.size)
                                    : 0;
        const int32_t* depth =
            depthValues >= sampleCount ? depths.data + columnIndex * (depthValues / sampleCount) : nullptr;
        if (depth && *depth != bcf_int32_missing && *depth != bcf_int32_vector_end) {
            if (*depth < 0)
                return fail(where + " (" + site.chrom + ":" + std::to_string(site.pos) + ") has a negative depth");
            site.depth = *depth;
            depthSum += site.depth;
            ++depthRecords;
        }

        for (int allele = 1; allele < record->n_allele; ++allele) {
            SVariantCall call = site;
            call.alt = upper(record->d.allele[allele]);
            call.zygosity = ploidy > 0 ? zygosityOf(alleles, ploidy, allele) : ZygosityNoCall;
            calls.push_back(call);
        }
        records = number;
    }
    if (status == c_nBadRecordName)
        return fail("record " + std::to_string(records + 1) + " is malformed: " + nameProblem);
    if (status < -1) {
        const BGZF* compressed = file->is_bgzf ? file->fp.bgzf : nullptr;
        return fail("record " + std::to_string(records + 1) + " cannot be read: "
                    + (compressed && compressed->errcode != 0 ? std::string("the compressed data is damaged")
                                                               : recordProblems(record->errcode)));
    }

    m_vCalls.swap(calls);
    m_nRecords = records;
    m_sSampleName = sampleName;
    m_nDepthSum = depthSum;
    m_nDepthRecords = depthRecords;
    return true;
}

const std::vector<SVariantCall>& CVcfReader::calls() const
{
    return m_vCalls;
}

unsigned int CVcfReader::recordCount() const
{
    return m_nRecords;
}

const std::string& CVcfReader::sampleName() const
{
    return m_sSampleName;
}

unsigned int CVcfReader::depthRecords() const
{
    return m_nDepthRecords;
}

double CVcfReader::meanDepth() const
{
    return m_nDepthRecords == 0 ? 0.0 : static_cast<double>(m_nDepthSum) / m_nDepthRecords;
}

} // namespace NGenotyper
