#include "plugins/SequenceSketch.h"

#include "core/LineEnding.h"
#include "plugins/FormatPlugin.h"
#include "plugins/HTML.h"
#include "plugins/Regex.h"

#include <QHash>
#include <QLocale>

namespace SequenceSketch {

namespace {

struct Message {
    QString from, to, label;
    bool dashed = false;
};

QString trimmed(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.mid(b, e - b);
}

}

QString number(double v)
{
    QString s = QString::number(v, 'f', QLocale::FloatingPointShortest);
    if (!s.contains(u'.'))
        s += QLatin1String(".0");
    return s;
}

QString svg(const QString& text)
{
    static const QString participant = QStringLiteral(
        R"re(^(participant|actor|database|boundary|control|entity|collections|queue)\s+"?([^"\s]+)"?)re");
    static const QString message = QStringLiteral(R"(^(\w+)\s*(-+>>?|<-+)\s*(\w+)\s*(?::\s*(.*))?$)");
    static const QString ignored = QStringLiteral(
        R"(^(@|'|title|skinparam|autonumber|note|end|alt|else|opt|loop|group|activate|deactivate|==|\|\||hide|show))");

    QStringList names;
    QHash<QString, int> index;
    QList<Message> messages;
    const auto add = [&](const QString& name) {
        if (!index.contains(name)) {
            index.insert(name, int(names.size()));
            names << name;
        }
    };
    const QStringList lines = LineEnding::normalize(text).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString t = trimmed(lines[n]);
        if (const auto p = Regex::firstMatch(t, participant)) {
            add((*p)[2]);
        } else if (const auto m = Regex::firstMatch(t, message)) {
            add((*m)[1]);
            add((*m)[3]);
            const QString& arrow = (*m)[2];
            if (arrow.startsWith(u'<'))
                messages << Message{(*m)[3], (*m)[1], (*m)[4], arrow.contains(QLatin1String("--"))};
            else
                messages << Message{(*m)[1], (*m)[3], (*m)[4], arrow.startsWith(QLatin1String("--"))};
        } else if (!t.isEmpty() && !Regex::reMatches(t, ignored)) {
            throw PluginError(QStringLiteral("内置渲染只支持时序图，无法解析：") + t, int(n + 1));
        }
    }
    if (names.isEmpty())
        throw PluginError(QStringLiteral("没有可绘制的参与者"));

    const auto xOf = [](qsizetype i) { return double(i) * 150 + 70; };
    const double W = double(names.size() - 1) * 150 + 70 + 70;
    const double H = double(messages.size()) * 44 + 90;
    QString out = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ") + number(W) + u' '
        + number(H) + QStringLiteral("\" width=\"") + number(W) + QStringLiteral("\">");
    out += QLatin1String("<defs><marker id=\"ar\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\" "
                         "markerHeight=\"7\" orient=\"auto\"><path d=\"M0 0 10 5 0 10z\" class=\"f2\"/></marker></defs>");
    const QString bottom = number(H - 10);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString x = number(xOf(i));
        out += QStringLiteral("<line x1=\"") + x + QStringLiteral("\" y1=\"44\" x2=\"") + x + QStringLiteral("\" y2=\"")
            + bottom + QStringLiteral("\" class=\"life\"/>");
        out += QStringLiteral("<rect x=\"") + number(xOf(i) - 52)
            + QStringLiteral("\" y=\"12\" width=\"104\" height=\"30\" rx=\"6\" class=\"box\"/>");
        out += QStringLiteral("<text x=\"") + x + QStringLiteral("\" y=\"31\" text-anchor=\"middle\" class=\"t1\">")
            + HTML::esc(names[i]) + QStringLiteral("</text>");
    }
    for (qsizetype j = 0; j < messages.size(); ++j) {
        const Message& m = messages[j];
        const double y = double(j) * 44 + 74;
        const double x1 = xOf(index.value(m.from));
        const double x2 = xOf(index.value(m.to));
        const double e = x1 < x2 ? x2 - 2 : x2 + 2;
        const QString ys = number(y);
        out += QStringLiteral("<line x1=\"") + number(x1) + QStringLiteral("\" y1=\"") + ys + QStringLiteral("\" x2=\"")
            + number(e) + QStringLiteral("\" y2=\"") + ys + QStringLiteral("\" class=\"msg\"");
        if (m.dashed)
            out += QLatin1String(" stroke-dasharray=\"5 4\"");
        out += QLatin1String(" marker-end=\"url(#ar)\"/>");
        out += QStringLiteral("<text x=\"") + number((x1 + x2) * 0.5) + QStringLiteral("\" y=\"") + number(y - 7)
            + QStringLiteral("\" text-anchor=\"middle\" class=\"t2\">") + HTML::esc(m.label) + QStringLiteral("</text>");
    }
    out += QLatin1String("</svg>");
    return out;
}

}
