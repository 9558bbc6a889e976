#pragma once

#include "editor/syntax/Lexer.h"

#include <QColor>
#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

class CodeTextView;
struct EditorScheme;

// Colours and fold levels of one editor, through Scintilla's container
// lexing: whenever Scintilla is about to show text that is not styled yet,
// the lexer runs from the last styled line (or the nearest line before it
// whose state is known) up to the end of what is shown. Nothing is styled
// before it is needed, so opening a document costs no lexing beyond the
// first screen.
class SyntaxStyler : public QObject {
    Q_OBJECT
public:
    explicit SyntaxStyler(CodeTextView* view);

    // The language of a format (plugin id) and file name; a .tsv file is
    // split at tabs only, other delimited files at the separator their
    // first line uses most.
    static Syntax::Language languageOf(const QString& pluginId);
    void setFormat(const QString& pluginId, const QString& fileName);
    Syntax::Language language() const { return language_; }
    // The separator the delimited text is being styled with.
    char separator() const { return separator_; }

    static QColor colorFor(Syntax::Style s, const EditorScheme& scheme, bool dark);
    // After the view's default style was set (which resets every style).
    void applyColors(const EditorScheme& scheme, bool dark);

    // Styles the text up to the byte position now; for a position on screen
    // at most a step of bytes is lexed, and the rest follows a step per turn.
    void styleTo(qsizetype position);
    static qsizetype paintStep();
    static void setPaintStep(qsizetype bytes);

private:
    long send(unsigned msg, unsigned long w = 0, long l = 0) const;
    void restyle();
    bool onScreen(qsizetype position) const;

    CodeTextView* view_;
    Syntax::Language language_ = Syntax::Language::none;
    Syntax::LexFn lex_ = nullptr;
    std::optional<char> fixedSeparator_;
    char separator_ = ',';
    std::vector<unsigned char> styles_;
    // The last piece lexed: where it started and the styles it got.
    qsizetype lastFrom_ = -1;
    std::vector<unsigned char> lastStyles_;
    // Where JSON lexing may resume in the last piece's first line.
    std::vector<Syntax::JSONResume> lastMarks_, nextMarks_;
    std::vector<Syntax::LineInfo> lines_;
    std::vector<int> lineStates_, lineLevels_;
    bool styling_ = false;
    QTimer* nextStep_;
    // Every style byte is plain: what Scintilla inserts is, and nothing
    // else was written since the format went plain.
    bool allPlain_ = true;
};
