#pragma once

#include <QByteArray>

// The large samples the benchmarks open.

// UTF-8 text of about `bytes` bytes in `lines` lines, Chinese and ASCII,
// with the word "needle" once every `every` lines (never when 0).
inline QByteArray makeText(qsizetype bytes, int lines, int every = 0)
{
    QByteArray out;
    out.reserve(bytes + 256);
    const qsizetype perLine = bytes / lines;
    for (int i = 0; i < lines; ++i) {
        QByteArray l = "第" + QByteArray::number(i) + "行 value_" + QByteArray::number(i * 7);
        if (every > 0 && i % every == 0)
            l += " needle";
        while (l.size() < perLine - 1)
            l += " lorem ipsum 文本";
        l.truncate(perLine - 1);
        // Never cut a UTF-8 sequence in half.
        while (!l.isEmpty() && (uchar(l.back()) & 0xC0) == 0x80)
            l.chop(1);
        while (!l.isEmpty() && uchar(l.back()) >= 0xC0)
            l.chop(1);
        out += l;
        out += '\n';
    }
    return out;
}

// Minified JSON on one line.
inline QByteArray makeJSON(qsizetype bytes)
{
    QByteArray out = "[";
    out.reserve(bytes + 256);
    for (int i = 0; out.size() < bytes; ++i)
        out += "{\"id\":" + QByteArray::number(i) + ",\"名称\":\"条目" + QByteArray::number(i)
            + "\",\"tags\":[\"a\",\"b\"],\"ok\":true,\"v\":" + QByteArray::number(i * 0.5) + "},";
    out.back() = ']';
    return out;
}
