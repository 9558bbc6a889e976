// Schemes, fonts and contrast of the editor and the window.
#include "Contrast.h"
#include "EditorFixture.h"
#include "WaitUntil.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"

#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintillabase.h>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {
struct AppearanceGuard {
    ~AppearanceGuard() { Palette::setAppearance(std::nullopt); }
};
}

// Only graphite turns with the window's appearance; paper stays light, night
// dark. A scheme is found by its exact id, graphite otherwise.
TEST(EditorScheme, GraphiteFollowsTheAppearancePaperAndNightDoNot)
{
    AppearanceGuard guard;
    QSignalSpy spy(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged);
    for (bool dark : {true, false}) {
        Palette::setAppearance(dark);
        EXPECT_EQ(EditorScheme::graphite().isDark(), dark);
        EXPECT_FALSE(EditorScheme::paper().isDark());
        EXPECT_TRUE(EditorScheme::night().isDark());
    }
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(EditorScheme::find(QStringLiteral("night")).id, QStringLiteral("night"));
    EXPECT_EQ(EditorScheme::find(QStringLiteral("Paper")).id, QStringLiteral("graphite"));
}

TEST(AppFonts, PlexFacesAreEmbeddedAndResolve)
{
    EXPECT_EQ(QFontInfo(AppFonts::mono(13)).family(), QStringLiteral("IBM Plex Mono"));
    // There is no mono face heavier than Medium.
    EXPECT_EQ(AppFonts::mono(13, AppFonts::Weight::semibold).weight(), QFont::Medium);
    EXPECT_EQ(AppFonts::sans(13, AppFonts::Weight::bold).weight(), QFont::DemiBold);
    EXPECT_EQ(QFontInfo(AppFonts::sans(13, AppFonts::Weight::bold)).family(), QStringLiteral("IBM Plex Sans"));
    EXPECT_FALSE(AppFonts::hasFace(QStringLiteral("No Such Family 42"), QFont::Normal));
    // The preview's faces: both sans weights and the mono one, embedded.
    EXPECT_EQ(AppFonts::webFontFaces().count(QStringLiteral("src:url(data:font/ttf;base64,")), 3);
}

// Every text colour of the window chrome on every background it is drawn on.
TEST(WindowContrast, EveryTextRoleOnEveryBackgroundItIsDrawnOn)
{
    for (bool dark : {false, true}) {
        const auto r = [dark](const DynamicColor& c) { return c.resolve(dark); };
        const QColor window = r(Palette::window()), sidebar = r(Palette::sidebar()), accent = r(Palette::accent());
        std::vector<std::tuple<std::string, QColor, QColor>> pairs;
        // Labels, captions, badges, menu rows, placeholders and disabled text: on the pane,
        // the sidebar, a hovered row, the active row.
        for (const auto& [name, text] :
             {std::pair{"fg", Palette::fg()}, {"fg2", Palette::fg2()}, {"fg3", Palette::fg3()}})
            for (const auto& [bg, colour] : {std::pair{"window", window},
                                             {"sidebar", sidebar},
                                             {"hover", r(Palette::hover())},
                                             {"selection", r(Palette::selection())}})
                pairs.emplace_back(std::string(name) + " on " + bg, r(text), colour);
        // "● 校验通过" and switched-on toggles, "● N 个问题" and the find bar's error,
        // the primary button plain and hovered.
        for (const QColor& bg : {window, sidebar}) {
            pairs.emplace_back("accent", accent, bg);
            pairs.emplace_back("danger", r(Palette::danger()), bg);
        }
        pairs.emplace_back("accentFg on accent", r(Palette::accentFg()), accent);
        pairs.emplace_back("accentFg on hovered accent", r(Palette::accentFg()), accent.darker(110));
        for (const auto& [where, text, background] : pairs)
            EXPECT_GE(contrast(text, background), 4.5)
                << (dark ? "dark " : "light ") << where << ": " << text.name().toStdString() << " on "
                << background.name().toStdString();
    }
}

namespace {

using EvenHan = EditorFixture;

// The x of every pipe of each line, measured by the engine.
QList<QList<long>> pipes(CodeTextView* v)
{
    QList<QList<long>> out;
    const QByteArray bytes = v->utf8();
    QList<long> line;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            out << line;
            line.clear();
        } else if (bytes[i] == '|') {
            line << v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, long(i));
        }
    }
    return out;
}

}

TEST_F(EvenHan, TablePipesLineUpAtEverySizeOnlyWithTheOptionOn)
{
    DocPtr d = newDoc(QStringLiteral("| 项目 | 负责人 |\n|------|--------|\n| 中文，标点 | a |\n|------------|---|"));
    EditorController& e = editorFor(d);
    e.widget()->show();
    CodeTextView* v = e.textView();
    for (int size = Settings::minFontSize; size <= Settings::maxFontSize; ++size)
        for (const bool even : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1 px, %2").arg(size).arg(even ? "on" : "off").toStdString());
            Settings s = model->settings();
            s.fontSize = size;
            s.hanDoubleWidth = even;
            model->setSettings(s);
            QApplication::processEvents();
            const QList<QList<long>> x = pipes(v);
            ASSERT_EQ(x.size(), 4);
            ASSERT_EQ(x[0].size(), 3);
            // The first pipe of each line stands at the same place either way;
            // the later ones only meet when a Han character takes two cells.
            EXPECT_EQ(x[0][0], x[1][0]);
            if (even) {
                EXPECT_EQ(x[0], x[1]);
                EXPECT_EQ(x[2], x[3]);
                EXPECT_EQ(v->font().family(), QStringLiteral("Noto Sans Mono CJK SC"));
            } else {
                EXPECT_NE(x[0][1], x[1][1]);
                EXPECT_EQ(v->font().family(), AppFonts::editor(s.fontFamily, size).family());
            }
        }
}

namespace {

using B = QsciScintillaBase;

struct Changed {
    long from = -1, length = 0;
};

}

TEST(EngineStyles, RunsWrittenAtOnceReadBackByteForByteAndReportWhatChanged)
{
    QsciScintillaBase view;
    view.SendScintilla(B::SCI_SETLEXER, B::SCLEX_CONTAINER);
    view.SendScintilla(B::SCI_SETMODEVENTMASK, B::SC_MOD_CHANGESTYLE);
    Changed changed;
    QObject::connect(&view, &QsciScintillaBase::SCN_MODIFIED, &view,
                     [&](int position, int type, const char*, int length, int, int, int, int, int, int) {
                         if (type & B::SC_MOD_CHANGESTYLE)
                             changed = {position, length};
                     });
    const long n = 50000;
    const QByteArray text(n, 'a');
    view.SendScintilla(B::SCI_SETTEXT, text.constData());
    // An edit leaves the gap inside the range written below.
    view.SendScintilla(B::SCI_INSERTTEXT, 20000, "b");
    view.SendScintilla(B::SCI_DELETERANGE, 20000, 1);

    std::vector<char> styles(n, 1);
    const auto write = [&](long from) {
        changed = {};
        view.SendScintilla(B::SCI_STARTSTYLING, static_cast<unsigned long>(from), 0L);
        view.SendScintilla(B::SCI_SETSTYLINGEX, n - from, styles.data() + from);
    };
    const auto readsBack = [&] {
        for (long i = 0; i < n; ++i)
            if (view.SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(i)) != styles[size_t(i)])
                return ::testing::AssertionFailure() << "style at " << i;
        return ::testing::AssertionSuccess();
    };
    write(0);
    ASSERT_TRUE(readsBack());
    EXPECT_EQ(changed.from, 0);
    EXPECT_EQ(changed.length, n);

    // Changes inside blocks of equal bytes, near both ends and around the gap.
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        const long first = 100 + long(random.bounded(int(n / 2)));
        const long last = first + long(random.bounded(int(n - first - 50)));
        styles[size_t(first)] = char(2 + round % 5);
        styles[size_t(last)] = char(3 + round % 4);
        if (styles[size_t(first)] == styles[size_t(last)])
            ++styles[size_t(last)];
        write(50);
        ASSERT_TRUE(readsBack()) << "round " << round;
        // Earlier rounds' changes stay; this one's are the ends of the reported range.
        EXPECT_EQ(changed.from, first) << "round " << round;
        EXPECT_EQ(changed.from + changed.length - 1, last) << "round " << round;
    }
    // Writing the same styles again changes nothing and reports nothing.
    write(0);
    EXPECT_EQ(changed.from, -1);
    EXPECT_EQ(view.SendScintilla(B::SCI_GETENDSTYLED), n);
}

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
