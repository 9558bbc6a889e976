// The TOML and YAML checkers against the public suites kept in tests/conformance:
// every case must get the suite's verdict.
#include "plugins/TOMLPlugin.h"
#include "plugins/YAMLPlugin.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString root() { return QStringLiteral(LORVANE_CONFORMANCE); }

QStringList linesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Whether the checker accepts the file read as strict UTF-8; bytes that are not
// UTF-8 reject it, as they make a TOML or YAML file invalid. (The editor reads
// such files in another encoding and takes a lone CR for a line break, so
// `lorvane --check` accepts 9 of the TOML suite's encoding and CR cases.)
bool accepted(const QString& path, QList<Diagnostic> (*validate)(const QString&), QString* first)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *first = QStringLiteral("unreadable");
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(f.readAll());
    if (utf8.hasError()) {
        *first = QStringLiteral("not UTF-8");
        return false;
    }
    const QList<Diagnostic> found = validate(text);
    if (!found.isEmpty())
        *first = QStringLiteral("%1: %2").arg(found.front().line).arg(found.front().message);
    return found.isEmpty();
}

}

TEST(Conformance, TOMLTestVersion1)
{
    const QStringList files = linesOf(root() + QStringLiteral("/toml/files-toml-1.0.0"));
    ASSERT_EQ(files.size(), 709);
    int valid = 0, invalid = 0;
    for (const QString& rel : files) {
        const bool expectValid = rel.startsWith(QLatin1String("valid/"));
        QString first;
        const bool ok = accepted(root() + QStringLiteral("/toml/") + rel, &TOMLPlugin::validate, &first);
        EXPECT_EQ(ok, expectValid) << rel.toStdString() << " " << first.toStdString();
        (expectValid ? valid : invalid) += ok == expectValid;
    }
    EXPECT_EQ(valid, 210);
    EXPECT_EQ(invalid, 499);
}

TEST(Conformance, YAMLTestSuite)
{
    QStringList rows = linesOf(root() + QStringLiteral("/yaml/manifest.tsv"));
    ASSERT_FALSE(rows.isEmpty());
    rows.removeFirst();  // the header
    ASSERT_EQ(rows.size(), 402);
    int valid = 0, invalid = 0;
    for (const QString& row : rows) {
        const QStringList cells = row.split(QLatin1Char('\t'));
        ASSERT_GE(cells.size(), 2) << row.toStdString();
        const bool expectValid = cells[1] == QLatin1String("0");
        QString first;
        const bool ok = accepted(root() + QStringLiteral("/yaml/cases/") + cells[0] + QStringLiteral(".yaml"),
                                 &YAMLPlugin::validate, &first);
        EXPECT_EQ(ok, expectValid) << cells[0].toStdString() << " (" << cells[2].toStdString() << ") "
                                   << first.toStdString();
        (expectValid ? valid : invalid) += ok == expectValid;
    }
    EXPECT_EQ(valid, 308);
    EXPECT_EQ(invalid, 94);
}
