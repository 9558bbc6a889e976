#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>

// Cuts text that arrives in pieces of any size into blocks of `size` bytes,
// so that a digest taken block by block does not depend on where the pieces
// were cut: `full` gets each complete block; the rest waits in `partial`.
template <class Full> void addInBlocks(QByteArray& partial, qsizetype size, QByteArrayView bytes, Full full)
{
    if (!partial.isEmpty()) {
        const qsizetype n = std::min(size - partial.size(), bytes.size());
        partial.append(bytes.first(n));
        bytes = bytes.sliced(n);
        if (partial.size() < size)
            return;
        full(QByteArrayView(partial));
        partial.truncate(0);
    }
    for (; bytes.size() >= size; bytes = bytes.sliced(size))
        full(bytes.first(size));
    partial.append(bytes);
}
