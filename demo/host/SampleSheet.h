#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A laboratory system's sample sheet: a header row, then one row per sample. The
// column "Sample" names the sample; every other column is a report variable. UTF-8
// with or without a byte-order mark; comma, semicolon or tab between the fields, as
// spreadsheet programs write them (the header row tells which), fields in double
// quotes where they hold one of these, a quote or a line break.
class CSampleSheet
{
public:
    static const QString c_sSampleColumn;

    // Reads the sheet at path; a column that is not in variableNames, a sample named
    // twice and a malformed file are refused with their line and column in error.
    bool Read(const QString& path, const QStringList& variableNames, QString* error);

    bool Has(const QString& sample) const { return m_rows.contains(sample); }
    // The sheet's columns of report variables, in its order.
    QStringList Columns() const { return m_columns; }
    // The report variables of sample's row, every column of the sheet given (an
    // empty cell as an empty value).
    QMap<QString, QString> Variables(const QString& sample) const { return m_rows.value(sample); }

private:
    QStringList m_columns;
    QMap<QString, QMap<QString, QString> > m_rows;
};
