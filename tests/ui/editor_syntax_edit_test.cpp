// Colours after edits: the styler writes only what changed, and what it
// skips must be what a fresh view would show.
#include "EditorFixture.h"

using B = QsciScintillaBase;

namespace {
struct SyntaxEdits : EditorFixture {
    EditorController& open(const QString& text)
    {
        DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("one-line.json"), text, std::nullopt, TextEncoding(),
                           LineEnding(), {});
        model->appendDoc(d);
        EditorController& e = editorFor(d);
        e.widget()->resize(900, 300);
        e.widget()->show();
        e.textView()->grab();
        return e;
    }
    // Every style byte of the buffer, styled up to its end.
    static QByteArray styles(CodeTextView* v)
    {
        const long n = long(v->byteLength());
        v->SendScintilla(B::SCI_COLOURISE, 0UL, n);
        QByteArray out(n, '\0');
        for (long i = 0; i < n; ++i)
            out.data()[i] = char(v->SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(i)));
        return out;
    }
};
}

TEST_F(SyntaxEdits, ALongLineKeepsTheColoursAFreshViewGives)
{
    // Long enough for the lexer to resume inside the line (every 64 KB).
    QString text = QStringLiteral("[");
    for (int i = 0; text.size() < 300000; ++i)
        text += QStringLiteral("{\"id\":%1,\"名称\":\"条目\",\"ok\":true},").arg(i);
    text += QStringLiteral("\"tail\"]");
    EditorController& e = open(text);
    CodeTextView* v = e.textView();
    struct Edit {
        int at, remove;
        QString insert;
    };
    const int tail = int(v->length()) - 1;
    // Typing at the end, a colon that turns the string before it into a
    // key, a quote that opens a string over the rest of the line and its
    // removal, brackets that change the line's fold level, and edits just
    // before and after the places lexing resumes at.
    const Edit edits[] = {{tail, 0, QStringLiteral(",1")},         {tail + 2, 0, QStringLiteral(":")},
                          {150000, 0, QStringLiteral("\"")},       {150000, 1, QString()},
                          {5, 4, QStringLiteral("null")},          {200000, 0, QStringLiteral("]]]")},
                          {66000, 0, QStringLiteral("/*")},        {66000, 2, QString()},
                          {131070, 6, QStringLiteral("[{\"k\":")}, {tail - 3, 0, QStringLiteral("[[")}};
    for (const Edit& ed : edits) {
        v->replaceRange(ed.at, ed.remove, ed.insert);
        v->grab();
        const QByteArray kept = styles(v);
        EditorController& fresh = open(v->text());
        const QByteArray expected = styles(fresh.textView());
        ASSERT_EQ(kept.size(), expected.size());
        const auto diff = std::mismatch(kept.begin(), kept.end(), expected.begin());
        EXPECT_TRUE(diff.first == kept.end())
            << "after editing at " << ed.at << ", first differing byte " << (diff.first - kept.begin());
        EXPECT_EQ(v->SendScintilla(B::SCI_GETFOLDLEVEL, 0UL), fresh.textView()->SendScintilla(B::SCI_GETFOLDLEVEL, 0UL))
            << "after editing at " << ed.at;
        EXPECT_EQ(v->SendScintilla(B::SCI_GETLINESTATE, 0UL), fresh.textView()->SendScintilla(B::SCI_GETLINESTATE, 0UL))
            << "after editing at " << ed.at;
        fresh.widget()->hide();
    }
}

// Plain text writes no styles, yet a text that was coloured loses every
// colour when its format goes plain, and what is typed afterwards stays plain.
TEST_F(SyntaxEdits, ATextMadePlainHasNoColourLeftAnywhere)
{
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("{\"id\": %1, \"名称\": \"条目\", \"ok\": true}\n").arg(i);
    EditorController& e = open(text);
    CodeTextView* v = e.textView();
    const QByteArray coloured = styles(v);
    ASSERT_GT(coloured.count('\0'), 0);
    ASSERT_LT(coloured.count('\0'), coloured.size());

    e.doc()->setName(QStringLiteral("one-line.txt"));
    v->grab();
    EXPECT_EQ(styles(v), QByteArray(coloured.size(), '\0'));
    // Typed at the start, in the middle and at the end, then shown and styled to the end.
    v->replaceRange(0, 0, QStringLiteral("{\"k\": 1}"));
    v->replaceRange(int(v->length()) / 2, 0, QStringLiteral("\"x\""));
    v->replaceRange(int(v->length()), 0, QStringLiteral("[true]"));
    v->grab();
    EXPECT_EQ(styles(v), QByteArray(v->byteLength(), '\0'));
}
