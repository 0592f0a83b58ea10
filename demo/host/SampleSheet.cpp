#include "demo/host/SampleSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <vector>

const QString CSampleSheet::c_sSampleColumn = QStringLiteral("Sample");

namespace {

// A sheet larger than this is no sample sheet of one run.
const qint64 c_nMaxSheetBytes = 16 * 1024 * 1024;

struct SRecord
{
    int line = 0;
    QStringList fields;
};

// The line (from 1) of the first byte sequence that is not UTF-8; 0 when all are.
int firstInvalidLine(const QByteArray& data)
{
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    const QList<QByteArray> lines = data.split('\n');
    for (int index = 0; index < lines.size(); ++index) {
        QTextCodec::ConverterState state;
        utf8->toUnicode(lines.at(index).constData(), lines.at(index).size(), &state);
        if (state.invalidChars > 0 || state.remainingChars > 0)
            return index + 1;
    }
    return 0;
}

// The delimiter that the header line holds most of: tab, then semicolon, then comma.
QChar delimiterOf(const QString& text)
{
    const QString header = text.left(text.indexOf(QLatin1Char('\n')));
    QChar best = QLatin1Char(',');
    int most = 0;
    for (const QChar candidate : {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')}) {
        if (header.count(candidate) > most) {
            most = header.count(candidate);
            best = candidate;
        }
    }
    return best;
}

// Splits text into records of fields, quotes as spreadsheet programs write them.
bool records(const QString& text, QChar delimiter, std::vector<SRecord>* out, int* errorLine, int* errorColumn,
             QString* problem)
{
    SRecord record;
    record.line = 1;
    QString field;
    int line = 1;
    bool quoted = false;
    bool closed = false;
    // Where the open quote began.
    int quoteLine = 0;
    int quoteColumn = 0;
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        closed = false;
    };
    const auto endRecord = [&] {
        endField();
        // A blank line is no record.
        if (record.fields.size() > 1 || !record.fields.first().trimmed().isEmpty())
            out->push_back(record);
        record = SRecord();
        record.line = line;
    };
    for (int at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (quoted) {
            if (c == QLatin1Char('"') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('"')) {
                field += c;
                ++at;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
                closed = true;
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('\r') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\n'))
            continue;
        if (c == delimiter) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else if (closed) {
            *errorLine = line;
            *errorColumn = record.fields.size() + 1;
            *problem = QObject::tr("text after the closing quote of a field");
            return false;
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            quoteLine = line;
            quoteColumn = record.fields.size() + 1;
        } else {
            field += c;
        }
    }
    if (quoted) {
        *errorLine = quoteLine;
        *errorColumn = quoteColumn;
        *problem = QObject::tr("a quoted field is not closed");
        return false;
    }
    // The last line may end without its line break.
    endRecord();
    return true;
}

} // namespace

bool CSampleSheet::Read(const QString& path, const QStringList& variableNames, QString* error)
{
    m_rows.clear();
    const QString name = QDir::toNativeSeparators(path);
    const auto refuse = [&](int line, int column, const QString& problem) {
        *error = column > 0 ? QObject::tr("Sample sheet %1, line %2, column %3: %4").arg(name).arg(line).arg(column).arg(problem)
                            : QObject::tr("Sample sheet %1, line %2: %3").arg(name).arg(line).arg(problem);
        return false;
    };
    // A FIFO or a device would be read until it ends, if ever.
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        *error = QObject::tr("The sample sheet %1 is no regular file").arg(name);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QObject::tr("Cannot read the sample sheet %1: %2").arg(name, file.errorString());
        return false;
    }
    if (file.size() > c_nMaxSheetBytes) {
        *error = QObject::tr("The sample sheet %1 is larger than %2 MB").arg(name).arg(c_nMaxSheetBytes >> 20);
        return false;
    }
    QByteArray data = file.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    if (const int line = firstInvalidLine(data))
        return refuse(line, 0, QObject::tr("not UTF-8 text"));
    const QString text = QString::fromUtf8(data);

    std::vector<SRecord> rows;
    int line = 0;
    int column = 0;
    QString problem;
    if (!records(text, delimiterOf(text), &rows, &line, &column, &problem))
        return refuse(line, column, problem);
    if (rows.empty())
        return refuse(1, 0, QObject::tr("no header row"));

    QStringList header;
    for (const QString& field : rows.front().fields)
        header << field.trimmed();
    for (int index = 0; index < header.size(); ++index) {
        if (header.indexOf(header.at(index)) != index)
            return refuse(rows.front().line, index + 1, QObject::tr("the column %1 comes twice").arg(header.at(index)));
        if (header.at(index) != c_sSampleColumn && !variableNames.contains(header.at(index)))
            return refuse(rows.front().line, index + 1,
                          QObject::tr("%1 is no report variable; the columns are %2 and report variables such as %3")
                              .arg(header.at(index), c_sSampleColumn, QStringList(variableNames.mid(0, 6)).join(QStringLiteral(", "))));
    }
    const int sampleColumn = header.indexOf(c_sSampleColumn);
    if (sampleColumn < 0)
        return refuse(rows.front().line, 0, QObject::tr("no column %1 to name the samples").arg(c_sSampleColumn));

    m_columns = header;
    m_columns.removeAt(sampleColumn);
    QMap<QString, int> firstLine;
    for (size_t index = 1; index < rows.size(); ++index) {
        const SRecord& row = rows[index];
        if (row.fields.size() != header.size())
            return refuse(row.line, 0, QObject::tr("%1 fields where the header has %2").arg(row.fields.size()).arg(header.size()));
        const QString sample = row.fields.at(sampleColumn).trimmed();
        if (sample.isEmpty())
            return refuse(row.line, sampleColumn + 1, QObject::tr("no sample name"));
        if (firstLine.contains(sample))
            return refuse(row.line, sampleColumn + 1,
                          QObject::tr("the sample %1 has a row already, at line %2").arg(sample).arg(firstLine.value(sample)));
        firstLine.insert(sample, row.line);
        QMap<QString, QString> variables;
        for (int field = 0; field < header.size(); ++field) {
            if (field != sampleColumn)
                variables.insert(header.at(field), row.fields.at(field).trimmed());
        }
        m_rows.insert(sample, variables);
    }
    return true;
}
