#pragma once

#include <QList>
#include <QString>

// What a person sees of an HTML page and what it links to, read without a
// browser. Script, style, comment, template and title text is not seen;
// attributes other than the link of an anchor (and the source of a frame)
// are not seen either. Page text is 8-bit: one character per byte.

struct PagePiece
{
    enum class Kind {
        Link,  // the address of an <a> or <area>, entities decoded
        Text,  // a run of visible text, entities decoded, white space folded
        Frame, // the source of a <frame> or <iframe>
    };
    Kind kind = Kind::Text;
    QString text;

    bool operator==(const PagePiece &other) const { return kind == other.kind && text == other.text; }
};

// The pieces in page order. Inline markup (<b>, <span>, <wbr>, ...) joins the
// text around it, as the page shows it ("www.<b>name</b>.com" is one run);
// any other tag ends a run.
QList<PagePiece> readPagePieces(QStringView html);

// What a browser puts in the body element of a saved page: the text after the
// opening <body> tag up to the closing one (to the end when it is missing);
// the whole text when the page has no <body> tag.
QString bodyOfPage(const QString &html);
