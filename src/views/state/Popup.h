#pragma once

#include <QString>
#include <QUuid>

// The small menu on screen, at most one at a time.
class Popup {
public:
    enum class Kind { tags, feature, encoding, eol, format, settings, outline, shortcuts };

    static Popup tags(QUuid docID) { return Popup(Kind::tags, docID); }
    static Popup feature() { return Popup(Kind::feature); }
    static Popup encoding() { return Popup(Kind::encoding); }
    static Popup eol() { return Popup(Kind::eol); }
    static Popup format() { return Popup(Kind::format); }
    static Popup settings() { return Popup(Kind::settings); }
    // The active document's headings.
    static Popup outline() { return Popup(Kind::outline); }
    // Every key binding of the window.
    static Popup shortcuts() { return Popup(Kind::shortcuts); }

    Kind kind() const { return kind_; }
    // The document whose tags are edited (tags popups only).
    QUuid docID() const { return docID_; }
    // The key under which the opening control reports its rectangle.
    QString anchor() const;

    bool operator==(const Popup&) const = default;

private:
    explicit Popup(Kind k, QUuid doc = {}) : kind_(k), docID_(doc) {}
    Kind kind_;
    QUuid docID_;
};
