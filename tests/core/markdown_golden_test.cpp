#include "plugins/Markdown.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

// Every input of the corpus (test tables, fuzz seeds, generated documents)
// renders exactly as recorded. To record the current rendering after an
// intended change, run this suite with LORVANE_MARKDOWN_GOLDEN set to the
// path of tests/core/golden/markdown.json.
TEST(MarkdownGolden, CorpusRendersAsRecorded)
{
    QFile file(QStringLiteral(":/golden/markdown.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonArray cases = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_GT(cases.size(), 500);
    const QByteArray record = qgetenv("LORVANE_MARKDOWN_GOLDEN");
    int mismatches = 0;
    for (qsizetype k = 0; k < cases.size(); ++k) {
        QJsonObject c = cases[k].toObject();
        const QString out = Markdown::html(c[QStringLiteral("in")].toString());
        if (!record.isEmpty()) {
            c[QStringLiteral("out")] = out;
            cases[k] = c;
            continue;
        }
        if (out != c[QStringLiteral("out")].toString() && ++mismatches <= 10)
            ADD_FAILURE() << "case " << k << "\n  input:    " << c[QStringLiteral("in")].toString().toStdString()
                          << "\n  expected: " << c[QStringLiteral("out")].toString().toStdString()
                          << "\n  actual:   " << out.toStdString();
    }
    if (!record.isEmpty()) {
        QFile target(QString::fromLocal8Bit(record));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        // One case per line keeps the diffs of a re-recording readable.
        QByteArray data = "[\n";
        for (qsizetype k = 0; k < cases.size(); ++k)
            data += QJsonDocument(cases[k].toObject()).toJson(QJsonDocument::Compact)
                + (k + 1 < cases.size() ? ",\n" : "\n");
        target.write(data + "]\n");
    }
    EXPECT_EQ(mismatches, 0);
}
