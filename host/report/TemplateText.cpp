#include "host/report/TemplateText.h"

#include "host/report/DataSetTag.h"
#include "host/report/TemplateDirectory.h"

#include <QHash>
#include <QRegularExpression>
#include <QTextCodec>

#include <grantlee/engine.h>

#include <algorithm>

namespace NFastReport {

namespace {

// The tags that need an end tag, with the tags allowed between them and it.
const QHash<QString, QStringList>& blockTags()
{
    static const QHash<QString, QStringList> tags{
        {QStringLiteral("if"), {QStringLiteral("elif"), QStringLiteral("else")}},
        {QStringLiteral("for"), {QStringLiteral("empty")}},
        {QStringLiteral("ifequal"), {QStringLiteral("else")}},
        {QStringLiteral("ifnotequal"), {QStringLiteral("else")}},
        {QStringLiteral("ifchanged"), {QStringLiteral("else")}},
        {QStringLiteral("with"), {}},
        {QStringLiteral("filter"), {}},
        {QStringLiteral("autoescape"), {}},
        {QStringLiteral("spaceless"), {}},
        {QStringLiteral("range"), {}},
        {QStringLiteral("block"), {}},
        {QStringLiteral("with_locale"), {}},
        {QStringLiteral("comment"), {}}};
    return tags;
}

bool isIntermediateTag(const QString& tag)
{
    return tag == QLatin1String("elif") || tag == QLatin1String("else") || tag == QLatin1String("empty");
}

// Splits text at the characters for which isSeparator holds, where they stand
// outside quotes; empty parts are kept only when keepEmpty is set.
template <class Separator>
QStringList splitOutsideQuotes(const QString& text, Separator isSeparator, bool keepEmpty)
{
    QStringList parts;
    QString part;
    QChar quote;
    for (const QChar c : text) {
        if (quote.isNull() && isSeparator(c)) {
            if (keepEmpty || !part.isEmpty())
                parts << part;
            part.clear();
            continue;
        }
        if (quote.isNull() && (c == QLatin1Char('"') || c == QLatin1Char('\'')))
            quote = c;
        else if (c == quote)
            quote = QChar();
        part += c;
    }
    if (keepEmpty || !part.isEmpty())
        parts << part;
    return parts;
}

// Splits text at separator where it stands outside quotes.
QStringList splitOutsideQuotes(const QString& text, QChar separator)
{
    return splitOutsideQuotes(text, [separator](QChar c) { return c == separator; }, true);
}

// Splits a tag's content at spaces outside quotes, as Grantlee does.
QStringList smartSplit(const QString& content)
{
    return splitOutsideQuotes(content, [](QChar c) { return c.isSpace(); }, false);
}

bool unquote(const QString& word, QString* text)
{
    if (word.size() < 2 || (word.front() != QLatin1Char('"') && word.front() != QLatin1Char('\''))
        || word.back() != word.front())
        return false;
    *text = word.mid(1, word.size() - 2);
    return true;
}

QString withoutLineNumbers(const QString& message)
{
    static const QRegularExpression number(QStringLiteral("line \\d+"));
    return QString(message).replace(number, QStringLiteral("line"));
}

// The lookup ("Name.part") a value in a tag or a filter argument reads; empty for
// literals: quoted text, numbers, translated text _("...").
QString lookupOf(const QString& text)
{
    const QString value = text.trimmed();
    if (value.isEmpty() || value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')
        || value.startsWith(QLatin1String("_(")))
        return QString();
    const bool signedNumber = (value.front() == QLatin1Char('-') || value.front() == QLatin1Char('+'))
                              && value.size() > 1 && value.at(1).isDigit();
    return value.front().isDigit() || signedNumber ? QString() : value;
}

bool validUtf8(const QByteArray& data)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

CTemplateText::CTemplateText(const QString& name, const QString& path, const QString& text)
    : m_sName(name)
    , m_sPath(path)
    , m_sText(text)
{
}

bool CTemplateText::Load(const QString& path, const QString& name, CTemplateText* result, SReportError* error)
{
    QByteArray data;
    QString reason;
    if (!CTemplateDirectory::ReadFile(path, c_nMaxBytes, &data, &reason)) {
        *error = SReportError{path, 0, QObject::tr("Cannot read the template: %1").arg(reason)};
        return false;
    }
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    if (!validUtf8(data)) {
        // A multi-byte sequence never contains a line feed, so lines can be checked alone.
        const QList<QByteArray> lines = data.split('\n');
        const auto bad = std::find_if(lines.begin(), lines.end(), [](const QByteArray& line) { return !validUtf8(line); });
        *error = SReportError{path, int(bad - lines.begin()) + 1, QObject::tr("The template is not UTF-8 text.")};
        return false;
    }
    *result = CTemplateText(name, path, QString::fromUtf8(data));
    return true;
}

const QString& CTemplateText::Name() const
{
    return m_sName;
}

const QString& CTemplateText::Path() const
{
    return m_sPath;
}

const QString& CTemplateText::Text() const
{
    return m_sText;
}

std::vector<CTemplateText::SToken> CTemplateText::tokens() const
{
    static const QLatin1String closers[] = {QLatin1String("}}"), QLatin1String("%}"), QLatin1String("#}")};
    std::vector<SToken> result;
    const int size = m_sText.size();
    int line = 1;
    for (int lineStart = 0; lineStart < size; ++line) {
        int lineEnd = m_sText.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = size;
        // Like Grantlee, a token ends on the line it starts on or is plain text. The
        // next closer of each kind is remembered, so a long line is scanned once.
        const QStringRef text = m_sText.midRef(lineStart, lineEnd - lineStart);
        int nextClose[] = {-1, -1, -1};
        for (int i = 0; i + 1 < text.size(); ++i) {
            if (text.at(i) != QLatin1Char('{'))
                continue;
            const int kind = QStringLiteral("{%#").indexOf(text.at(i + 1));
            if (kind < 0)
                continue;
            if (nextClose[kind] != text.size() && nextClose[kind] < i + 2) {
                nextClose[kind] = text.indexOf(closers[kind], i + 2);
                if (nextClose[kind] < 0)
                    nextClose[kind] = text.size();
            }
            const int close = nextClose[kind];
            if (close == text.size())
                continue;
            SToken token{SToken::EKind(kind), line, lineStart + i, close + 2 - i,
                         text.mid(i + 2, close - i - 2).trimmed().toString(), QStringList()};
            token.words = smartSplit(token.content);
            result.push_back(token);
            i = close + 1;
        }
        lineStart = lineEnd + 1;
    }
    return result;
}

bool CTemplateText::Prepare(QString* prepared, SReportError* error) const
{
    static const QRegularExpression safeFilter(QStringLiteral("\\|\\s*safe(seq)?\\b"));
    static const QRegularExpression safeChain(QStringLiteral("(^|\\|)\\s*safe(seq)?\\s*(\\||$)"));
    auto fail = [&](int line, const QString& message) {
        *error = SReportError{m_sPath, line, message};
        return false;
    };
    const QString unescaped = QObject::tr("Report values are always shown as text; '%1' is not allowed.");

    QString result = m_sText;
    const std::vector<SToken> all = tokens();
    std::vector<std::pair<const SToken*, QString> > replacements;
    bool inComment = false;
    for (const SToken& token : all) {
        if (token.kind == SToken::Comment)
            continue;
        const QString tag = token.words.value(0);
        if (inComment) {
            inComment = !(token.kind == SToken::Block && tag == QLatin1String("endcomment"));
            continue;
        }
        if (token.kind == SToken::Block && tag == QLatin1String("comment")) {
            inComment = true;
            continue;
        }
        if (token.content.contains(safeFilter)
            || (token.kind == SToken::Block && tag == QLatin1String("filter")
                && token.content.mid(tag.size()).trimmed().contains(safeChain)))
            return fail(token.line, unescaped.arg(QStringLiteral("safe")));
        if (token.kind != SToken::Block)
            continue;
        if (tag == QLatin1String("autoescape") && token.words.value(1) == QLatin1String("off"))
            return fail(token.line, unescaped.arg(QStringLiteral("autoescape off")));
        if (tag != QLatin1String("dataset"))
            continue;

        SDataSetTag dataSet;
        if (token.words.size() < 2 || !unquote(token.words.at(1), &dataSet.dataSet) || dataSet.dataSet.isEmpty())
            return fail(token.line, QObject::tr("The dataset tag needs the name of a data set in quotes, "
                                                "for example {% dataset \"Findings\" %}."));
        if (token.words.size() != 2
            && (token.words.size() != 4 || token.words.at(2) != QLatin1String("color_by")
                || !unquote(token.words.at(3), &dataSet.colorBy)))
            return fail(token.line, QObject::tr("After the data set's name the dataset tag takes only "
                                                "color_by and a column name in quotes."));
        replacements.emplace_back(&token, dataSet.Placeholder());
    }
    // From the last to the first, so that the positions of the earlier ones stay valid.
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it)
        result.replace(it->first->begin, it->first->length, it->second);
    *prepared = result;
    return true;
}

void CTemplateText::References(const QSet<QString>& defined, const IncludeHandler& include,
                               std::vector<STemplateReference>* references) const
{
    static const QStringList operators{QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"),
                                       QStringLiteral("in"),  QStringLiteral("=="), QStringLiteral("!="),
                                       QStringLiteral("<"),   QStringLiteral(">"),  QStringLiteral("<="),
                                       QStringLiteral(">=")};
    static const QStringList valueTags{QStringLiteral("ifequal"), QStringLiteral("ifnotequal"),
                                       QStringLiteral("firstof"), QStringLiteral("widthratio"),
                                       QStringLiteral("ifchanged"), QStringLiteral("with_locale")};
    // The names each open block tag gives to what lies between it and its end tag;
    // the first entry holds the names given from outside and by tags without an end.
    std::vector<QSet<QString> > scopes{defined};
    auto isDefined = [&](const QString& name) {
        return std::any_of(scopes.begin(), scopes.end(),
                           [&](const QSet<QString>& scope) { return scope.contains(name); });
    };
    int line = 0;
    auto add = [&](STemplateReference::EKind kind, const QString& name) {
        STemplateReference reference;
        reference.kind = kind;
        reference.name = name;
        reference.file = m_sPath;
        reference.line = line;
        references->push_back(reference);
    };
    auto value = [&](const QString& text) {
        const QStringList parts = lookupOf(text).split(QLatin1Char('.'));
        const QString& head = parts.front();
        if (head == QLatin1String("datasets")) {
            if (parts.size() > 1 && !parts.at(1).isEmpty())
                add(STemplateReference::DataSet, parts.at(1));
        } else if (!head.isEmpty() && head != QLatin1String("colors") && !isDefined(head)) {
            add(STemplateReference::Variable, head);
        }
    };
    // Filter arguments: "name:argument" each.
    auto filters = [&](const QStringList& parts) {
        for (const QString& filter : parts) {
            const QStringList pieces = splitOutsideQuotes(filter, QLatin1Char(':'));
            if (pieces.size() > 1)
                value(QStringList(pieces.mid(1)).join(QLatin1Char(':')));
        }
    };
    auto expression = [&](const QString& text) {
        const QStringList parts = splitOutsideQuotes(text, QLatin1Char('|'));
        value(parts.front());
        filters(QStringList(parts.mid(1)));
    };

    bool inComment = false;
    for (const SToken& token : tokens()) {
        line = token.line;
        if (token.kind == SToken::Comment)
            continue;
        const QString tag = token.kind == SToken::Block ? token.words.value(0) : QString();
        if (inComment) {
            inComment = tag != QLatin1String("endcomment");
            continue;
        }
        if (token.kind == SToken::Variable) {
            expression(token.content);
            continue;
        }
        if (tag == QLatin1String("comment")) {
            inComment = true;
            continue;
        }
        if (tag.startsWith(QLatin1String("end")) && blockTags().contains(tag.mid(3))) {
            if (scopes.size() > 1)
                scopes.pop_back();
            continue;
        }
        const QStringList arguments = token.words.mid(1);
        const int as = arguments.lastIndexOf(QStringLiteral("as"));
        QSet<QString> given;
        if (tag == QLatin1String("if") || tag == QLatin1String("elif")) {
            for (const QString& word : arguments) {
                if (!operators.contains(word))
                    expression(word);
            }
        } else if (tag == QLatin1String("for")) {
            const int in = arguments.indexOf(QStringLiteral("in"));
            const QString names = QStringList(arguments.mid(0, qMax(in, 0))).join(QLatin1Char(' '));
            for (const QString& name : names.split(QLatin1Char(',')))
                given << name.trimmed();
            given << QStringLiteral("forloop");
            if (in >= 0)
                expression(arguments.value(in + 1));
        } else if (tag == QLatin1String("with")) {
            // Grantlee knows only the form "value as name".
            expression(arguments.value(0));
            if (as == 1)
                given << arguments.value(2);
        } else if (valueTags.contains(tag)) {
            for (const QString& word : arguments)
                expression(word);
        } else if (tag == QLatin1String("cycle") || tag == QLatin1String("range") || tag == QLatin1String("regroup")) {
            const QStringList values = as >= 0 ? QStringList(arguments.mid(0, as)) : arguments;
            if (as >= 0)
                given << arguments.value(as + 1);
            if (tag == QLatin1String("regroup")) {
                expression(values.value(0));
            } else if (tag == QLatin1String("range") || values.size() > 1) {
                // A single word after cycle names a cycle defined before ("a,b" is the old literal form).
                for (const QString& word : values)
                    expression(word);
            }
        } else if (tag == QLatin1String("filter")) {
            filters(splitOutsideQuotes(arguments.join(QLatin1Char(' ')), QLatin1Char('|')));
        } else if (tag == QLatin1String("include") || tag == QLatin1String("extends")) {
            QString name;
            if (!unquote(arguments.value(0), &name)) {
                expression(arguments.value(0));
            } else if (include) {
                QSet<QString> known;
                for (const QSet<QString>& scope : scopes)
                    known.unite(scope);
                include(name, line, known);
            }
        } else if (tag == QLatin1String("dataset")) {
            QString name;
            if (unquote(arguments.value(0), &name)) {
                add(STemplateReference::DataSet, name);
                if (arguments.value(1) == QLatin1String("color_by"))
                    unquote(arguments.value(2), &references->back().column);
            }
        } else if (tag == QLatin1String("block")) {
            given << QStringLiteral("block");
        }
        if (blockTags().contains(tag))
            scopes.push_back(given);
        else
            scopes.back().unite(given);
    }
}

int CTemplateText::LineOf(int code, const QString& message) const
{
    if (message.startsWith(QLatin1String("Template not found, ")))
        return includeLine(message.mid(int(qstrlen("Template not found, "))));
    if (const int line = structuralLine(code, message))
        return line;
    return probedLine(code, message);
}

// Block tags out of order: an end or in-between tag that does not fit the open tag,
// or an open tag still open at the end.
int CTemplateText::structuralLine(int code, const QString& message) const
{
    if (code != Grantlee::InvalidBlockTagError && code != Grantlee::UnclosedBlockTagError)
        return 0;
    struct SOpen
    {
        QString tag;
        int line;
    };
    std::vector<SOpen> open;
    for (const SToken& token : tokens()) {
        if (token.kind != SToken::Block)
            continue;
        const QString tag = token.words.value(0);
        if (!open.empty() && open.back().tag == QLatin1String("comment")) {
            if (tag == QLatin1String("endcomment"))
                open.pop_back();
            continue;
        }
        const bool misplaced =
            (isIntermediateTag(tag) && (open.empty() || !blockTags().value(open.back().tag).contains(tag)))
            || (tag.startsWith(QLatin1String("end")) && blockTags().contains(tag.mid(3))
                && (open.empty() || open.back().tag != tag.mid(3)));
        if (misplaced) {
            if (code == Grantlee::InvalidBlockTagError && message.contains(QLatin1Char('\'') + tag + QLatin1Char('\'')))
                return token.line;
            return 0;
        }
        if (blockTags().contains(tag))
            open.push_back(SOpen{tag, token.line});
        else if (tag.startsWith(QLatin1String("end")) && blockTags().contains(tag.mid(3)))
            open.pop_back();
    }
    if (code == Grantlee::UnclosedBlockTagError && !open.empty()
        && message.contains(QStringLiteral("end") + open.back().tag))
        return open.back().line;
    return 0;
}

int CTemplateText::includeLine(const QString& name) const
{
    for (const SToken& token : tokens()) {
        QString target;
        if (token.kind == SToken::Block
            && (token.words.value(0) == QLatin1String("include") || token.words.value(0) == QLatin1String("extends"))
            && unquote(token.words.value(1), &target) && target == name)
            return token.line;
    }
    return 0;
}

// Parses each token alone (an opening tag with its end tag) with an engine that
// can load no files; the first one that fails the same way is the one at fault.
int CTemplateText::probedLine(int code, const QString& message) const
{
    const QString expected = withoutLineNumbers(message);
    Grantlee::Engine engine;
    int sameCode = 0;
    bool inComment = false;
    for (const SToken& token : tokens()) {
        const QString tag = token.kind == SToken::Block ? token.words.value(0) : QString();
        if (inComment || tag == QLatin1String("comment")) {
            inComment = tag != QLatin1String("endcomment");
            continue;
        }
        if (token.kind == SToken::Comment || isIntermediateTag(tag) || tag.startsWith(QLatin1String("end")))
            continue;
        QString probe = m_sText.mid(token.begin, token.length);
        if (token.kind == SToken::Block && blockTags().contains(tag))
            probe += QStringLiteral("{% end%1 %}").arg(tag);
        const Grantlee::Template parsed = engine.newTemplate(probe, m_sName);
        if (parsed->error() != code)
            continue;
        if (withoutLineNumbers(parsed->errorString()) == expected)
            return token.line;
        if (!sameCode)
            sameCode = token.line;
    }
    return sameCode;
}

QString CTemplateText::CleanMessage(const QString& message)
{
    static const QRegularExpression place(QStringLiteral("(,\\s*line \\d+, [^,]*)+$"));
    static const QRegularExpression onLine(QStringLiteral(" on line \\d+"));
    static const QRegularExpression doubledQuote(QStringLiteral("'([^'\\s]+)''"));
    QString result = message;
    result.remove(place).remove(onLine).replace(doubledQuote, QStringLiteral("'\\1'"));
    return result.simplified();
}

} // namespace NFastReport
