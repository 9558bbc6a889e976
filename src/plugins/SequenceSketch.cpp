#include "plugins/SequenceSketch.h"

#include "plugins/FormatPlugin.h"
#include "plugins/HTML.h"
#include "plugins/Regex.h"
#include "text/Blanks.h"
#include "text/LineEnding.h"

#include <QLocale>

namespace SequenceSketch {

namespace {

const QString participantRE = QStringLiteral(
    R"re(^(participant|actor|database|boundary|control|entity|collections|queue)\s+"?([^"\s]+)"?)re");
const QString messageRE = QStringLiteral(R"(^(\w+)\s*(-+>>?|<-+)\s*(\w+)\s*(?::\s*(.*))?$)");
const QString ignoredRE = QStringLiteral(
    R"(^(@|'|title|skinparam|autonumber|note|end|alt|else|opt|loop|group|activate|deactivate|==|\|\||hide|show))");

struct Message {
    QString from, to, label;
    bool dashed = false;
};

}

QString number(double v)
{
    QString s = QString::number(v, 'g', QLocale::FloatingPointShortest);
    if (!s.contains(u'.') && !s.contains(u'e'))
        s += QStringLiteral(".0");
    return s;
}

QString svg(const QString& text)
{
    QStringList participants;
    QList<Message> messages;
    const auto add = [&](const QString& name) {
        if (!participants.contains(name))
            participants << name;
    };
    const QStringList lines = LineEnding::normalize(text).split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString t = trimBlanks(lines[n]);
        if (const auto p = Regex::firstMatch(t, participantRE)) {
            add((*p)[2]);
        } else if (const auto m = Regex::firstMatch(t, messageRE)) {
            add((*m)[1]);
            add((*m)[3]);
            const QString& arrow = (*m)[2];
            if (arrow.startsWith(u'<'))
                messages.append({(*m)[3], (*m)[1], (*m)[4], arrow.contains(QLatin1String("--"))});
            else
                messages.append({(*m)[1], (*m)[3], (*m)[4], arrow.startsWith(QLatin1String("--"))});
        } else if (!t.isEmpty() && !Regex::reMatches(t, ignoredRE)) {
            throw PluginError(QStringLiteral("内置渲染只支持时序图，无法解析：") + t, n + 1);
        }
    }
    if (participants.isEmpty())
        throw PluginError(QStringLiteral("没有可绘制的参与者"));

    const auto xOf = [&](const QString& name) { return double(participants.indexOf(name)) * 150 + 70; };
    const double W = double(participants.size() - 1) * 150 + 70 + 70;
    const double H = double(messages.size()) * 44 + 90;
    QString out = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %1 %2\" width=\"%1\">")
                      .arg(number(W), number(H));
    out += QStringLiteral(
        "<defs><marker id=\"ar\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\" markerHeight=\"7\" "
        "orient=\"auto\"><path d=\"M0 0 10 5 0 10z\" class=\"f2\"/></marker></defs>");
    for (const QString& name : participants) {
        const double x = xOf(name);
        out += QStringLiteral("<line x1=\"%1\" y1=\"44\" x2=\"%1\" y2=\"%2\" class=\"life\"/>")
                   .arg(number(x), number(H - 10));
        out += QStringLiteral("<rect x=\"%1\" y=\"12\" width=\"104\" height=\"30\" rx=\"6\" class=\"box\"/>")
                   .arg(number(x - 52));
        out += QStringLiteral("<text x=\"%1\" y=\"31\" text-anchor=\"middle\" class=\"t1\">").arg(number(x))
            + HTML::esc(name) + QStringLiteral("</text>");
    }
    for (int j = 0; j < messages.size(); ++j) {
        const Message& m = messages[j];
        const double y = double(j) * 44 + 74;
        const double x1 = xOf(m.from), x2 = xOf(m.to);
        const double e = x1 < x2 ? x2 - 2 : x2 + 2;
        out += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" class=\"msg\"")
                   .arg(number(x1), number(y), number(e));
        if (m.dashed)
            out += QStringLiteral(" stroke-dasharray=\"5 4\"");
        out += QStringLiteral(" marker-end=\"url(#ar)\"/>");
        out += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"middle\" class=\"t2\">")
                   .arg(number((x1 + x2) * 0.5), number(y - 7))
            + HTML::esc(m.label) + QStringLiteral("</text>");
    }
    return out + QStringLiteral("</svg>");
}

}
