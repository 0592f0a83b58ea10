#pragma once

#include <QtGlobal>

#include <cstddef>
#include <string>

namespace NGenotyper {

// Checks of a variant file made before htslib reads it, or after it failed, where a
// damaged file would make htslib ask for gigabytes or say too little. Each gives
// what is wrong in this program's words, or an empty text.

// htslib allocates the lengths that a BCF file states for its header text and for
// each record before it reads them, so a few damaged bytes would ask for gigabytes.
// Walks the lengths: each must be below 64 MB and, in an uncompressed file (plainSize
// is its size, else -1), within the file, and the header's IDX numbers sound. Where
// the file merely ends early, htslib says so later.
std::string BcfSizeProblem(const std::string& path, qint64 plainSize);

// htslib makes room for every dictionary index up to the IDX number that a VCF header
// line gives; says which number is beyond any the header can have.
std::string VcfHeaderIndexProblem(const std::string& path);

// htslib adds a chromosome, filter or FORMAT key that the header lacks by parsing a
// header line written around its name, so a name holding ',' or '>' would add header
// keys of its own (an IDX asking for gigabytes). Says which name of a record line
// (its first length bytes, not 0-terminated) holds a character it may not: a
// chromosome name letters, digits and !#$%&*+./:;=?@^_|~- ('*' and '=' not first),
// filter names and INFO and FORMAT keys none of , < > " = and no space. Empty for a
// sound line and for an empty one.
std::string RecordNameProblem(const char* line, std::size_t length);

// Why htslib could not read a VCF header: a #CHROM line that names one sample column
// twice, or a header that never reaches its #CHROM line. Never empty.
std::string VcfHeaderProblem(const std::string& path);

} // namespace NGenotyper
