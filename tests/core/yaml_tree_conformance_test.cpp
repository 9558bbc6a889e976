// The YAML preview tree against the expected values of the public suite kept in
// tests/conformance/yaml: each case's input is read into trees, one per
// document, and compared with the case's JSON stream as JSON values.
#include "plugins/FormatPlugin.h"
#include "plugins/YAML.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QString root() { return QStringLiteral(LORVANE_CONFORMANCE) + QStringLiteral("/yaml/"); }

// The cases whose tree differs from the suite's, and why.
const QHash<QString, QString>& knownMisses()
{
    static const QHash<QString, QString> misses{
        {QStringLiteral("9MQT-01"), QStringLiteral("the suite also lists it as an error: \"...\" inside quotes")},
        {QStringLiteral("DK95-01"), QStringLiteral("the suite also lists it as an error: a tab indents a quoted line")},
        {QStringLiteral("DK95-06"), QStringLiteral("the suite also lists it as an error: a tab indents a key")},
    };
    return misses;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The JSON texts of a stream, one after another, as one array.
QJsonArray jsonStream(const QByteArray& in, bool* ok)
{
    QList<QByteArray> values;
    for (qsizetype k = 0; k < in.size();) {
        if (QChar::isSpace(uchar(in[k]))) {
            ++k;
            continue;
        }
        const qsizetype from = k;
        int depth = 0;
        bool string = false;
        for (; k < in.size(); ++k) {
            const char c = in[k];
            if (string) {
                if (c == '\\')
                    ++k;
                else if (c == '"')
                    string = false;
            } else if (c == '"') {
                string = true;
            } else if (c == '[' || c == '{') {
                ++depth;
            } else if (c == ']' || c == '}') {
                --depth;
            } else if (depth == 0 && QChar::isSpace(uchar(c))) {
                break;
            }
            if (depth == 0 && !string && k > from && (c == '"' || c == ']' || c == '}')) {
                ++k;
                break;
            }
        }
        values << in.mid(from, k - from);
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson('[' + values.join(',') + ']', &error);
    *ok = error.error == QJsonParseError::NoError;
    return doc.array();
}

double number(const QString& text)
{
    QString s = text;
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative || s.startsWith(QLatin1Char('+')))
        s.remove(0, 1);
    double v = 0;
    if (s.startsWith(QLatin1String("0x")))
        v = double(s.mid(2).toULongLong(nullptr, 16));
    else if (s.startsWith(QLatin1String("0o")))
        v = double(s.mid(2).toULongLong(nullptr, 8));
    else if (s.compare(QLatin1String(".inf"), Qt::CaseInsensitive) == 0)
        v = INFINITY;
    else if (s.compare(QLatin1String(".nan"), Qt::CaseInsensitive) == 0)
        v = NAN;
    else
        v = s.toDouble();
    return negative ? -v : v;
}

QJsonValue toJson(const TreeNode& n)
{
    switch (n.kind) {
    case TreeNode::Kind::map: {
        QJsonObject o;
        for (const auto& [k, v] : n.pairs)
            o.insert(k, toJson(v));
        return o;
    }
    case TreeNode::Kind::list: {
        QJsonArray a;
        for (const TreeNode& i : n.items)
            a.append(toJson(i));
        return a;
    }
    case TreeNode::Kind::string: return n.scalar;
    case TreeNode::Kind::number: return number(n.scalar);
    case TreeNode::Kind::boolean: return n.flag;
    case TreeNode::Kind::null: return QJsonValue::Null;
    }
    return {};
}

// Equal as JSON values: numbers by value, members in any order.
bool same(const QJsonValue& a, const QJsonValue& b)
{
    if (a.isDouble() && b.isDouble())
        return a.toDouble() == b.toDouble();
    if (a.type() != b.type())
        return false;
    if (a.isArray()) {
        const QJsonArray x = a.toArray(), y = b.toArray();
        if (x.size() != y.size())
            return false;
        for (qsizetype k = 0; k < x.size(); ++k)
            if (!same(x[k], y[k]))
                return false;
        return true;
    }
    if (a.isObject()) {
        const QJsonObject x = a.toObject(), y = b.toObject();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.begin(); it != x.end(); ++it)
            if (!same(it.value(), y.value(it.key())))
                return false;
        return true;
    }
    return a == b;
}

QString compact(const QJsonArray& a) { return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact)); }

}

TEST(Conformance, YAMLTestSuiteTrees)
{
    const QStringList files = QDir(root() + QStringLiteral("json"))
                                  .entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 282);
    int passed = 0;
    QStringList missed;
    for (const QString& file : files) {
        const QString id = file.chopped(5);
        SCOPED_TRACE(id.toStdString());
        bool ok = false;
        const QJsonArray expected = jsonStream(readAll(root() + QStringLiteral("json/") + file), &ok);
        ASSERT_TRUE(ok) << "unreadable expectation";
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(readAll(root() + QStringLiteral("cases/") + id + QStringLiteral(".yaml")));
        ASSERT_FALSE(utf8.hasError());
        QJsonArray got;
        QString why;
        try {
            for (const TreeNode& doc : YAML::parseDocuments(text))
                got.append(toJson(doc));
        } catch (const PluginError& e) {
            why = QStringLiteral("%1: %2").arg(e.line.value_or(0)).arg(e.message);
        }
        const bool pass = why.isEmpty() && same(QJsonValue(got), QJsonValue(expected));
        if (!pass && why.isEmpty())
            why = QStringLiteral("read %1, expected %2").arg(compact(got).left(300), compact(expected).left(300));
        passed += pass;
        if (!pass)
            missed << id;
        if (pass)
            EXPECT_FALSE(knownMisses().contains(id)) << "now read right: take it out of the table of misses";
        else
            EXPECT_TRUE(knownMisses().contains(id)) << "a new miss: " << why.toStdString();
    }
    EXPECT_GE(passed, 270) << missed.join(QLatin1Char(' ')).toStdString();
}
