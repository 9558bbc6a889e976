#pragma once

#include <QObject>
#include <QTimer>

class QsciScintillaBase;

// Stops the caret blinking once the editor has had no input for a while
// (as desktop text fields do) and starts it again on the next key, click
// or focus. Each blink repaints, and with a web view in the window every
// repaint recomposes all of it: a window at rest would never be idle.
class CaretBlinkRest : public QObject {
    Q_OBJECT
public:
    static constexpr int restMs = 10000;

    explicit CaretBlinkRest(QsciScintillaBase* view);
    bool resting() const { return resting_; }
    // For tests: rest after `ms` instead.
    void setRestInterval(int ms) { rest_.start(ms); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wake();

    QsciScintillaBase* view_;
    QTimer rest_;
    bool resting_ = false;
};
