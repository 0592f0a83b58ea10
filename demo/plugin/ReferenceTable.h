#pragma once

#include "demo/plugin/Classification.h"

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace NGenotyper {

// One known variant of a reference panel.
struct SKnownVariant
{
    std::string chrom;
    long long pos = 0;
    // Alleles in upper case.
    std::string ref;
    std::string alt;
    std::string gene;
    // The gene's HGNC identifier, such as "HGNC:6636"; empty where the table leaves it out.
    std::string geneId;
    // HGVS, such as "c.1208G>A p.Arg403Gln".
    std::string change;
    EClassification classification = ClassificationUncertain;
};

// The known variants of one reference panel, read from a tab-separated file:
//   chrom  pos  ref  alt  gene  change  classification  [hgnc]
// one variant a line; empty lines and lines starting with '#' are skipped.
// Chromosomes match with or without their "chr" prefix.
class CReferenceTable
{
public:
    CReferenceTable();
    ~CReferenceTable();

    // Reads the file (path in the local 8-bit encoding). On failure returns false
    // with a message naming the file and, for a bad line, its number; the table is
    // then empty.
    bool load(const std::string& path, std::string* error);

    // In the order of the file.
    const std::vector<SKnownVariant>& variants() const;
    // The known variant with these coordinates and alleles, or null.
    const SKnownVariant* find(const std::string& chrom, long long pos, const std::string& ref,
                              const std::string& alt) const;

private:
    typedef std::tuple<std::string, long long, std::string, std::string> Key;

    static Key keyOf(const std::string& chrom, long long pos, const std::string& ref, const std::string& alt);

    std::vector<SKnownVariant> m_vVariants;
    std::map<Key, std::size_t> m_index;
};

} // namespace NGenotyper
