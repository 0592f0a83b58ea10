#include "demo/plugin/VcfFileCheck.h"

#include <QtGlobal>

#include <htslib/bgzf.h>
#include <htslib/hts.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace NGenotyper {

namespace {

struct SFileCloser
{
    void operator()(htsFile* file) const { hts_close(file); }
};

typedef std::unique_ptr<htsFile, SFileCloser> FilePtr;

// Far above the header or record of any real BCF file.
const quint32 c_nMaxBcfBlockBytes = 64 * 1024 * 1024;

struct SBgzfCloser
{
    void operator()(BGZF* file) const { bgzf_close(file); }
};

quint32 littleEndian(const unsigned char* bytes)
{
    return static_cast<quint32>(bytes[0]) | static_cast<quint32>(bytes[1]) << 8 | static_cast<quint32>(bytes[2]) << 16
           | static_cast<quint32>(bytes[3]) << 24;
}

// htslib makes room for every dictionary index up to the IDX number that a header
// line gives, and clears it, so one damaged number asks for gigabytes. Every entry of
// a dictionary takes a line of its own, so a sound number is below the header's
// length in bytes. Every "IDX=" after the start of a key counts, quoted or not: htslib
// takes a quote for the start of a quoted value only where a value begins, and a
// description that spells out a huge IDX is not worth reading the file for. The value
// may start with what strtol skips. Says which number is not sound, or gives an empty text.
std::string headerIndexProblem(const std::string& header)
{
    const std::size_t limit = header.size();
    auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t index = header.find("IDX"); index != std::string::npos; index = header.find("IDX", index + 1)) {
        if (index == 0 || (header[index - 1] != '<' && header[index - 1] != ',' && header[index - 1] != ' '))
            continue;
        std::size_t at = index + 3;
        while (at < header.size() && header[at] == ' ')
            ++at;
        if (at >= header.size() || header[at] != '=')
            continue;
        ++at;
        while (at < header.size() && (isSpace(header[at]) || header[at] == '+'))
            ++at;
        unsigned long long number = 0;
        std::size_t digits = 0;
        for (; at + digits < header.size() && std::isdigit(static_cast<unsigned char>(header[at + digits])); ++digits) {
            if (number <= limit)
                number = number * 10 + static_cast<unsigned int>(header[at + digits] - '0');
        }
        if (digits > 0 && number >= limit)
            return "the header is damaged: one of its lines gives the index IDX=" + header.substr(at, std::min<std::size_t>(digits, 20))
                   + ", beyond any index the header can have";
    }
    return std::string();
}

// The header lines of a VCF text file, up to its #CHROM line.
std::string vcfHeaderText(const std::string& path)
{
    const FilePtr file(hts_open(path.c_str(), "r"));
    kstring_t line = {0, 0, nullptr};
    std::string text;
    // htslib passes over short lines inside the header, so they do not end it here either.
    while (file && hts_getline(file.get(), '\n', &line) >= 0) {
        if (line.l < 2)
            continue;
        if (line.s[0] != '#')
            break;
        text.append(line.s, line.l).append(1, '\n');
        if (std::strncmp(line.s, "#CHROM", 6) == 0)
            break;
    }
    std::free(line.s);
    return text;
}

} // namespace

namespace {

// The first character of name that fits no name of its kind, or -1.
int badCharacter(const std::string& name, bool contig)
{
    static const char* const c_sContigMarks = "!#$%&*+./:;=?@^_|~-";
    for (std::size_t index = 0; index < name.size(); ++index) {
        const unsigned char c = static_cast<unsigned char>(name[index]);
        const bool allowed = contig ? std::isalnum(c) || (c != '\0' && std::strchr(c_sContigMarks, c)
                                                            && (index > 0 || (c != '*' && c != '=')))
                                    : c > 0x20 && c != 0x7f && !std::strchr(",<>\"=", c);
        if (!allowed)
            return c;
    }
    return -1;
}

std::string shownCharacter(int c)
{
    return c > 0x20 && c < 0x7f ? "'" + std::string(1, char(c)) + "'" : "byte " + std::to_string(c);
}

// The names of a field, split at separator; for INFO only the keys (before '=').
std::vector<std::string> namesOf(const std::string& field, char separator, bool keysOnly)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= field.size()) {
        std::size_t end = field.find(separator, start);
        if (end == std::string::npos)
            end = field.size();
        std::string name = field.substr(start, end - start);
        if (keysOnly)
            name = name.substr(0, name.find('='));
        if (name != "." && !name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

} // namespace

std::string RecordNameProblem(const char* line, std::size_t length)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start < length && fields.size() < 9) {
        const char* tab = static_cast<const char*>(std::memchr(line + start, '\t', length - start));
        const std::size_t end = tab ? std::size_t(tab - line) : length;
        fields.emplace_back(line + start, end - start);
        start = end + 1;
    }
    struct SKind
    {
        std::size_t field;
        const char* what;
        char separator;
    };
    for (const SKind& kind : {SKind{0, "chromosome name", '\t'}, SKind{6, "filter name", ';'},
                              SKind{7, "INFO key", ';'}, SKind{8, "FORMAT key", ':'}}) {
        if (kind.field >= fields.size())
            break;
        for (const std::string& name : namesOf(fields[kind.field], kind.separator, kind.field == 7)) {
            const int c = badCharacter(name, kind.field == 0);
            if (c >= 0)
                return std::string("its ") + kind.what + " '" + name.substr(0, 40) + "' holds " + shownCharacter(c)
                       + ", which no " + kind.what + " may hold";
        }
    }
    return std::string();
}

std::string BcfSizeProblem(const std::string& path, qint64 plainSize)
{
    const std::unique_ptr<BGZF, SBgzfCloser> file(bgzf_open(path.c_str(), "r"));
    if (!file)
        return "cannot open the file";
    // "BCF", the version (2 bytes), then the header text's length.
    unsigned char head[9];
    if (bgzf_read(file.get(), head, sizeof head) != static_cast<ssize_t>(sizeof head))
        return "truncated: the file ends inside the BCF header";
    qint64 offset = sizeof head;
    auto fits = [&](quint64 length) {
        return length <= c_nMaxBcfBlockBytes && (plainSize < 0 || offset + static_cast<qint64>(length) <= plainSize);
    };
    std::vector<char> scratch(64 * 1024);
    auto skip = [&](quint64 length) {
        for (quint64 left = length; left > 0;) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<quint64>(left, scratch.size()));
            if (bgzf_read(file.get(), scratch.data(), chunk) != static_cast<ssize_t>(chunk))
                return false;
            left -= chunk;
        }
        offset += static_cast<qint64>(length);
        return true;
    };

    const quint64 headerLength = littleEndian(head + 5);
    if (!fits(headerLength))
        return "the header is damaged: it claims to be " + std::to_string(headerLength) + " bytes long";
    // Read in pieces, so that what is kept grows only with what the file holds.
    std::string header;
    for (quint64 left = headerLength; left > 0;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<quint64>(left, scratch.size()));
        if (bgzf_read(file.get(), scratch.data(), chunk) != static_cast<ssize_t>(chunk))
            return std::string();
        header.append(scratch.data(), chunk);
        left -= chunk;
    }
    offset += static_cast<qint64>(headerLength);
    const std::string indexProblem = headerIndexProblem(header);
    if (!indexProblem.empty())
        return indexProblem;
    for (unsigned int record = 1;; ++record) {
        // The lengths of the shared and of the per-sample part.
        unsigned char sizes[8];
        if (bgzf_read(file.get(), sizes, sizeof sizes) != static_cast<ssize_t>(sizeof sizes))
            return std::string();
        offset += sizeof sizes;
        const quint64 length = quint64(littleEndian(sizes)) + littleEndian(sizes + 4);
        if (!fits(length))
            return "record " + std::to_string(record) + " is damaged: it claims to be " + std::to_string(length)
                   + " bytes long";
        if (!skip(length))
            return std::string();
    }
}

std::string VcfHeaderIndexProblem(const std::string& path)
{
    return headerIndexProblem(vcfHeaderText(path));
}

std::string VcfHeaderProblem(const std::string& path)
{
    const FilePtr file(hts_open(path.c_str(), "r"));
    kstring_t line = {0, 0, nullptr};
    std::string problem = "the header is damaged or incomplete (a VCF header ends with the #CHROM line)";
    while (file && hts_getline(file.get(), '\n', &line) >= 0 && line.l > 0 && line.s[0] == '#') {
        if (std::strncmp(line.s, "#CHROM", 6) != 0)
            continue;
        std::vector<std::string> columns;
        std::string column;
        for (std::size_t index = 0; index <= line.l; ++index) {
            if (index == line.l || line.s[index] == '\t') {
                columns.push_back(column);
                column.clear();
            } else {
                column += line.s[index];
            }
        }
        for (std::size_t index = 9; index < columns.size(); ++index) {
            if (std::find(columns.begin() + 9, columns.begin() + long(index), columns[index]) != columns.begin() + long(index)) {
                problem = "the header names the sample column '" + columns[index] + "' twice";
                break;
            }
        }
        break;
    }
    std::free(line.s);
    return problem;
}

} // namespace NGenotyper
