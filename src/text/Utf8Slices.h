#pragma once

#include <QByteArray>
#include <QStringView>
#include <algorithm>

// Hands `f` the UTF-8 of `text` a slice of about `slice` units at a time, so
// a long text never has a second whole copy; a surrogate pair is never split.
template <class F> void forEachUtf8Slice(QStringView text, qsizetype slice, F f)
{
    for (qsizetype at = 0; at < text.size();) {
        qsizetype n = std::min(slice, text.size() - at);
        if (at + n < text.size() && text.at(at + n - 1).isHighSurrogate())
            ++n;
        f(text.sliced(at, n).toUtf8());
        at += n;
    }
}
