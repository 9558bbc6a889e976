#pragma once

#include <QObject>
#include <QTimer>

class QsciScintillaBase;

// Cuts a run of typing into undo steps as gedit and VS Code do. Scintilla
// merges every adjacent typed character into one step; a step ends here
// before a space typed after a word, around a line break, when the caret
// has moved since the last key, when typing turns into deleting or back,
// and after a pause.
class UndoSteps : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultPauseMSecs = 1000;
    enum class Kind { none, typing, deleting };

    explicit UndoSteps(QsciScintillaBase* view);
    // Before a key edits the text: `kind` is what the key does (none: an
    // edit that is a step of its own), `typed` the character it types.
    void before(Kind kind, QChar typed = {});
    // After it: the step may go on from where the caret is now.
    void after(Kind kind);
    // The next edit starts a step of its own.
    void cut();
    // The caret moved or the text changed by other means: no run goes on.
    void interrupt() { kind_ = Kind::none; }
    int pauseInterval() const { return pause_.interval(); }
    void setPauseInterval(int ms) { pause_.setInterval(ms); }
    bool pausePending() const { return pause_.isActive(); }

private:
    QsciScintillaBase* view_;
    QTimer pause_;
    Kind kind_ = Kind::none;
    long end_ = -1;  // the caret after the last key of the run (bytes)
};
