#pragma once

#include "host/report/ReportError.h"
#include "host/report/TemplateInspection.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace NFastReport {

// One template file as its author wrote it: the report file or a file it includes.
// It knows the template language's tokens ({{ }}, {% %}, {# #}, each on one line)
// well enough to
//  - turn each {% dataset "Name" [color_by "Column"] %} tag into a placeholder that
//    Grantlee passes through untouched, on the same line, so that line numbers stay
//    right (Grantlee has no in-process tag libraries, so this is a preprocessing step);
//  - refuse what would print report values unescaped (the safe and safeseq filters,
//    {% autoescape off %});
//  - find the line that a Grantlee error message is about: Grantlee reports every
//    line as 0;
//  - list the variables and data sets the file uses, with their lines.
class CTemplateText
{
public:
    // Template files larger than this are refused.
    static const qint64 c_nMaxBytes = 4 * 1024 * 1024;

    CTemplateText() = default;
    // name is the file's name as Grantlee knows it (relative to the template
    // folder); path is what messages show.
    CTemplateText(const QString& name, const QString& path, const QString& text);

    // Reads the file at path as UTF-8 (a leading byte order mark is skipped). False
    // with error set for a file that is missing, unreadable, too large or not UTF-8.
    static bool Load(const QString& path, const QString& name, CTemplateText* result, SReportError* error);

    // Called for each {% include "name" %} and {% extends "name" %} with the line of
    // the tag and the variable names the file defines at that place.
    typedef std::function<void(const QString& name, int line, const QSet<QString>& defined)> IncludeHandler;

    const QString& Name() const;
    const QString& Path() const;
    const QString& Text() const;

    // Appends what this file reads, in the order written: the variables that are
    // neither in defined nor given by the file's own tags at that place (for, with,
    // regroup and cycle ... as, range ... as, block.super), and the data sets that
    // dataset tags and datasets.Name name. Text inside comments does not count.
    void References(const QSet<QString>& defined, const IncludeHandler& include,
                    std::vector<STemplateReference>* references) const;

    // The text to hand to Grantlee. False with error set (this file, the line) for a
    // malformed dataset tag or an attempt to print values unescaped.
    bool Prepare(QString* prepared, SReportError* error) const;

    // The line (from 1) of the token the Grantlee error code and message are about,
    // or 0 when no token of this file fits them.
    int LineOf(int code, const QString& message) const;

    // Grantlee's message without its meaningless "line 0" parts.
    static QString CleanMessage(const QString& message);

private:
    struct SToken
    {
        // In the order of the characters after '{' that open them: "{%#".
        enum EKind
        {
            Variable,
            Block,
            Comment
        };
        EKind kind;
        int line;
        int begin;
        int length;
        QString content;
        QStringList words;
    };

    std::vector<SToken> tokens() const;
    int structuralLine(int code, const QString& message) const;
    int includeLine(const QString& name) const;
    int probedLine(int code, const QString& message) const;

    QString m_sName;
    QString m_sPath;
    QString m_sText;
};

} // namespace NFastReport
