#include "render/RenderingStyle.h"

#include <QFile>
#include <QRegularExpression>

namespace RenderingStyle {

namespace {

// Token colours come from variables the page's light and dark roots set.
const char rules[] =
    ".hljs-keyword,.hljs-built_in,.hljs-type,.hljs-literal,.hljs-selector-tag,.hljs-doctag{color:var(--hk)}\n"
    ".hljs-string,.hljs-regexp,.hljs-symbol,.hljs-char,.hljs-addition,.hljs-template-tag{color:var(--hs)}\n"
    ".hljs-number,.hljs-variable,.hljs-template-variable,.hljs-selector-class,.hljs-selector-id{color:var(--hn)}\n"
    ".hljs-comment,.hljs-quote,.hljs-meta{color:var(--hc)}.hljs-comment{font-style:italic}\n"
    ".hljs-title,.hljs-section,.hljs-name,.hljs-attr,.hljs-attribute,.hljs-property{color:var(--ht)}\n"
    ".hljs-tag,.hljs-deletion,.hljs-bullet,.hljs-link,.hljs-selector-pseudo{color:var(--hg)}\n"
    ".hljs-strong{font-weight:600}.hljs-emphasis{font-style:italic}\n"
    ".md .katex-display{margin:12px 0;overflow-x:auto;overflow-y:hidden}.math-display{margin:12px 0}\n"
    ".math-err{color:var(--danger)}.math-err code{color:var(--danger)}.math-err .sub{font-size:12px}\n"
    ".math-err.display{display:block;border:1px solid color-mix(in srgb,var(--danger) 40%,transparent);"
    "border-radius:8px;padding:8px 12px;margin:12px 0}\n";

}

QString katexSheet(const QString& sheet, const QString& fontsDir)
{
    // Each face lists its WOFF2, WOFF and TrueType files; the first alone is embedded.
    static const QRegularExpression source(
        QStringLiteral("src:url\\(fonts/(KaTeX_[A-Za-z0-9_-]+)\\.woff2\\) format\\(\"woff2\"\\)[^;}]*"));
    QString out;
    qsizetype at = 0;
    QRegularExpressionMatchIterator it = source.globalMatch(sheet);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(sheet).mid(at, m.capturedStart() - at);
        QFile font(fontsDir + u'/' + m.captured(1) + QStringLiteral(".woff2"));
        if (font.open(QIODevice::ReadOnly))
            out += QStringLiteral("src:url(data:font/woff2;base64,") + QString::fromLatin1(font.readAll().toBase64())
                + QStringLiteral(") format(\"woff2\")");
        else
            out += QStringLiteral("src:local(\"") + m.captured(1) + QStringLiteral("\")");
        at = m.capturedEnd();
    }
    out += QStringView(sheet).mid(at);
    // Anything else the sheet would fetch stays unfetched.
    static const QRegularExpression relative(QStringLiteral("url\\((?!data:)[^)]*\\)"));
    out.replace(relative, QStringLiteral("none"));
    return out;
}

const QString& css(bool formulas)
{
    static const QString plain = QString::fromUtf8(rules);
    static const QString withFormulas = [] {
        QFile sheet(QStringLiteral(":/scripts/katex.css"));
        if (!sheet.open(QIODevice::ReadOnly))
            return plain;
        return plain + katexSheet(QString::fromUtf8(sheet.readAll()), QStringLiteral(":/scripts/katex-fonts"));
    }();
    return formulas ? withFormulas : plain;
}

}
