#pragma once

#include "host/report/Report.h"

#include <QCoreApplication>
#include <QFont>
#include <QSizeF>

namespace NFastReport {

// The page of a report, as its layout and its painting share it. Internal to the
// report viewer.

inline qreal millimetres(qreal value)
{
    return value * CReport::c_nLayoutDpi / 25.4;
}

// A4 in layout units and the page margins; the bottom one leaves room for the footer.
const QSizeF c_pageSize(millimetres(210), millimetres(297));
const qreal c_dSideMargin = millimetres(20);
const qreal c_dTopMargin = millimetres(18);
const qreal c_dBottomMargin = millimetres(24);

inline QFont baseFont(qreal points)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// A ligature ("fi" drawn as one glyph) reaches the PDF's text layer as that one
// character, so that a search for "file" would not find it, nor a copied report
// identifier match its original. Qt shapes Latin text without ligatures once letters
// are spaced at all; the least spacing it keeps (1/64 of a layout unit) is far below
// a dot of any printer.
const qreal c_dNoLigatureSpacing = 1.0 / 64;

inline QFont withoutLigatures(QFont font)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, c_dNoLigatureSpacing);
    return font;
}

// Qt's text layout scales fixed lengths (CSS pixels, image sizes, spacing) by the
// layout device's resolution over that of the primary screen, unless the
// application assumes 96 dpi screens. While it lives, this assumes them, so that a
// report is laid out and painted alike on every workstation, whatever its screen's
// font resolution or scale factor; the widgets' own fonts are not touched outside it.
class CScreenIndependentLayout
{
public:
    CScreenIndependentLayout()
        : m_bWasSet(QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
    {
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    }
    ~CScreenIndependentLayout() { QCoreApplication::setAttribute(Qt::AA_Use96Dpi, m_bWasSet); }
    CScreenIndependentLayout(const CScreenIndependentLayout&) = delete;
    CScreenIndependentLayout& operator=(const CScreenIndependentLayout&) = delete;

    // Gives the screen its own resolution back while the window paints (progress).
    class CPause
    {
    public:
        explicit CPause(const CScreenIndependentLayout& layout)
            : m_layout(layout)
        {
            QCoreApplication::setAttribute(Qt::AA_Use96Dpi, m_layout.m_bWasSet);
        }
        ~CPause() { QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true); }
        CPause(const CPause&) = delete;
        CPause& operator=(const CPause&) = delete;

    private:
        const CScreenIndependentLayout& m_layout;
    };

private:
    const bool m_bWasSet;
};

} // namespace NFastReport
