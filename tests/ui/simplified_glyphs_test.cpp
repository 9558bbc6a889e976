// Han characters whose Japanese and Simplified Chinese forms differ are drawn
// Simplified whatever the locale: fontconfig reads the locale when the
// program starts, so each locale runs in a child process of this binary.
#include "WaitUntil.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"

#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

const char* const childOutput = "LORVANE_GLYPHS_OUT";
const QString sample = QStringLiteral("门令遍：");

// The sample in the editor's text and in the window's font, one above the other.
QImage drawn()
{
    CodeTextView editor;
    editor.setEditorFont(AppFonts::mono(32), 0);
    editor.setPlainText(sample);
    editor.resize(400, 80);
    QLabel label(sample);
    label.setFont(AppFonts::sans(32));
    label.resize(400, 80);
    for (QWidget* w : {static_cast<QWidget*>(&editor), static_cast<QWidget*>(&label)})
        w->show();
    nextTurn();
    QImage out(400, 160, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, editor.viewport()->grab().toImage());
    p.drawImage(0, 80, label.grab().toImage());
    return out;
}

}

TEST(SimplifiedGlyphs, SameFormsInEveryLocale)
{
    if (qEnvironmentVariableIsSet(childOutput)) {
        // The child's part: draw and hand the picture back.
        ASSERT_TRUE(drawn().save(qEnvironmentVariable(childOutput)));
        return;
    }
    QTemporaryDir dir;
    std::map<QString, QImage> seen;
    for (const QString& lang :
         {QStringLiteral("zh_CN.UTF-8"), QStringLiteral("C.UTF-8"), QStringLiteral("ja_JP.UTF-8")}) {
        SCOPED_TRACE(lang.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_CTYPE"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.insert(QStringLiteral("LANG"), lang);
        env.insert(QString::fromLatin1(childOutput), dir.filePath(lang + QStringLiteral(".png")));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=SimplifiedGlyphs.SameFormsInEveryLocale")});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        seen[lang] = QImage(dir.filePath(lang + QStringLiteral(".png"))).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(seen[lang].isNull());
    }
    const QImage& simplified = seen[QStringLiteral("zh_CN.UTF-8")];
    EXPECT_EQ(seen[QStringLiteral("C.UTF-8")], simplified);
    EXPECT_EQ(seen[QStringLiteral("ja_JP.UTF-8")], simplified);
}
