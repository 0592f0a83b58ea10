#pragma once

#include <string>
#include <vector>

namespace NGenotyper {

// How a sample carries one alternative allele.
enum EZygosity
{
    // The genotype is missing ("./.") or the record has none.
    ZygosityNoCall = 0,
    // Called, without this allele ("0/0", or "2/2" for the first alternative).
    ZygosityNotCarried,
    ZygosityHeterozygous,
    ZygosityHomozygous,
    // One copy of a haploid call, as on chrX of a male sample.
    ZygosityHemizygous
};

// "no call", "not carried", "heterozygous", "homozygous", "hemizygous".
std::string zygosityText(EZygosity zygosity);

// One alternative allele of a VCF record, as the sample read carries it.
// A record with two alternatives gives two calls.
struct SVariantCall
{
    std::string chrom;
    // 1-based, as written in the file.
    long long pos = 0;
    // Alleles in upper case.
    std::string ref;
    std::string alt;
    // The GT field as written ("0/1", "1|1", "./."); empty when the record has none.
    std::string genotype;
    EZygosity zygosity = ZygosityNoCall;
    // The sample's FORMAT/DP, or -1 when the record has none.
    int depth = -1;
};

// Reads a VCF file (VCF 4.1 to 4.4, plain or BGZF-compressed, or BCF) through htslib
// and keeps the calls of one sample column, chosen by its name: no other column is
// read. Every htslib handle lives only inside read().
class CVcfReader
{
public:
    CVcfReader();
    ~CVcfReader();

    // Reads the whole file (path in the local 8-bit encoding) for the sample column
    // named column. On failure returns false with a message that starts with the file
    // name (a missing column lists the columns the file has), and keeps nothing.
    bool read(const std::string& path, const std::string& column, std::string* error);

    const std::vector<SVariantCall>& calls() const;
    // Records read; a record with several alternatives counts once.
    unsigned int recordCount() const;
    // The name of the sample column read.
    const std::string& sampleName() const;
    // The mean FORMAT/DP of the records that have one; 0 when none has.
    double meanDepth() const;
    // The number of records that carry a FORMAT/DP for the sample.
    unsigned int depthRecords() const;

private:
    void clear();

    std::vector<SVariantCall> m_vCalls;
    unsigned int m_nRecords = 0;
    std::string m_sSampleName;
    long long m_nDepthSum = 0;
    unsigned int m_nDepthRecords = 0;
};

} // namespace NGenotyper
