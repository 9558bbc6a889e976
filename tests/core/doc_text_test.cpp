#include "WaitUntil.h"
#include "core/DocText.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A buffer the loader filled for an editor: any sink but a byte array.
class EditorSink final : public TextSink {
public:
    bool append(QByteArrayView utf8) override
    {
        bytes_.append(utf8);
        return true;
    }
    qsizetype size() const override { return bytes_.size(); }
    QByteArray utf8() const override { return bytes_; }

private:
    QByteArray bytes_;
};

enum class Form { held, bytes, read, liveStale, livePulled, leftByEditor };

const char* const formNames[] = {"held", "bytes", "read", "live", "live, pulled", "left by its editor"};

constexpr Form allForms[] = {Form::held,      Form::bytes,      Form::read,
                             Form::liveStale, Form::livePulled, Form::leftByEditor};

// A store holding `text` in the given form, and the editor's buffer behind
// a live one.
struct Store {
    QObject context;
    QByteArray buffer;
    int pulls = 0;
    bool atSavePoint = false;
    std::unique_ptr<DocText> text;

    LiveText live()
    {
        LiveText l;
        l.pull = [this] {
            ++pulls;
            return TextCopy::decode(buffer);
        };
        l.length = [this] { return TextCopy::decode(buffer).size(); };
        l.leadingLines = [this](int) { return TextCopy::decode(buffer.left(buffer.indexOf('\n') + 1)); };
        l.utf8 = [this] { return buffer; };
        l.byteLength = [this] { return buffer.size(); };
        l.atSavePoint = [this] { return atSavePoint; };
        l.setSavePoint = [this] { atSavePoint = true; };
        return l;
    }

    Store(Form form, const QString& t)
    {
        buffer = t.toUtf8();
        text = std::make_unique<DocText>(&context, form == Form::held ? t : QString());
        switch (form) {
        case Form::held: break;
        case Form::bytes: {
            auto sink = std::make_shared<ByteSink>();
            sink->append(buffer);
            text->takeRead(sink);
            break;
        }
        case Form::read: {
            auto sink = std::make_shared<EditorSink>();
            sink->append(buffer);
            text->takeRead(sink);
            break;
        }
        case Form::liveStale: text->attach(live(), false); break;
        case Form::livePulled:
            text->attach(live(), false);
            text->text();
            break;
        case Form::leftByEditor:
            text->attach(live(), false);
            text->detach();
            buffer = "the editor is gone";
            break;
        }
    }
};

const QString texts[] = {
    QString(),
    QStringLiteral("第一行\n第二行\n"),
    // A leading mark is text, and characters outside the BMP are one code point.
    QStringLiteral("\uFEFF标记 😀\n"),
    QStringLiteral("caf\u00e9\n"),
};

}

// Every form gives back the text it holds, as a QString, as a copy for a
// worker and as a baseline, and compares it with the baseline by its content.
TEST(DocText, EveryFormGivesBackItsTextAndComparesWithTheBaseline)
{
    for (const Form form : allForms) {
        for (const QString& t : texts) {
            SCOPED_TRACE(testing::Message() << formNames[int(form)] << ": " << t.toStdString());
            EXPECT_FALSE(Store(form, t).text->differsFrom(TextBaseline::of(t), false));
            EXPECT_TRUE(Store(form, t).text->differsFrom(TextBaseline::of(t + u'x'), false));
            EXPECT_TRUE(Store(form, t + u'x').text->differsFrom(TextBaseline::of(t), false));
            EXPECT_EQ(Store(form, t).text->copy().toString(), t);
            EXPECT_TRUE(Store(form, t).text->save() == TextBaseline::of(t));
            Store s(form, t);
            EXPECT_EQ(s.text->text(), t);
            // Asked for twice, the same text.
            EXPECT_EQ(s.text->text(), t);
            EXPECT_EQ(s.text->copy().toString(), t);
        }
    }
}

// A canonically equal text is no change, except in an editor's buffer, whose
// bytes are compared as they are until a worker finds them equal or undo
// gets back to the save point.
TEST(DocText, ACanonicallyEqualTextCountsAsChangedOnlyInALiveBuffer)
{
    const QString composed = QStringLiteral("caf\u00e9\n");
    const TextBaseline decomposed = TextBaseline::of(QStringLiteral("cafe\u0301\n"));
    for (const Form form : allForms) {
        SCOPED_TRACE(formNames[int(form)]);
        EXPECT_EQ(Store(form, composed).text->differsFrom(decomposed, false), form == Form::liveStale);
        EXPECT_FALSE(Store(form, composed).text->differsFrom(decomposed, true));
    }
    Store s(Form::liveStale, composed);
    s.text->attach(s.live(), true);
    s.atSavePoint = true;
    EXPECT_FALSE(s.text->differsFrom(decomposed, false));
    s.text->forgetSavePoint();
    EXPECT_TRUE(s.text->differsFrom(decomposed, false));
    // Saving tells the editor its present text is the save point, and while
    // it stays there the buffer is clean without a comparison.
    s.atSavePoint = false;
    EXPECT_TRUE(s.text->save() == TextBaseline::of(composed));
    EXPECT_TRUE(s.atSavePoint);
    EXPECT_FALSE(s.text->differsFrom(decomposed, false));
}

// A live buffer is read when asked for and followed through edits; the
// copy pulled for one turn goes at the next, and none is made for a worker,
// for a comparison or for the leading lines.
TEST(DocText, ALiveBufferIsFollowedAndPulledOnlyWhenItsTextIsAskedFor)
{
    Store s(Form::liveStale, QStringLiteral("第一行\n"));
    s.buffer += QStringLiteral("第二行\n").toUtf8();
    EXPECT_TRUE(s.text->edited());
    EXPECT_EQ(s.text->copy().utf8, s.buffer);
    EXPECT_FALSE(s.text->differsFrom(TextBaseline::ofUtf8(s.buffer), false));
    EXPECT_EQ(s.text->leadingText(1), QStringLiteral("第一行\n"));
    EXPECT_EQ(s.pulls, 0);
    EXPECT_EQ(s.text->text(), QStringLiteral("第一行\n第二行\n"));
    EXPECT_FALSE(s.text->isStale());
    EXPECT_TRUE(waitUntil([&] { return s.text->isStale(); }));
    s.buffer += "3\n";
    EXPECT_TRUE(s.text->edited());
    EXPECT_EQ(s.text->text(), QStringLiteral("第一行\n第二行\n3\n"));
    EXPECT_EQ(s.pulls, 2);
    // Without an editor nothing is followed.
    EXPECT_FALSE(Store(Form::leftByEditor, QStringLiteral("x")).text->edited());
}
