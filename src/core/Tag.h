#pragma once

#include <QString>

// A user tag; documents and the per-file tag map refer to it by id.
struct Tag {
    QString id;
    QString name;
    int color = 0;  // index into the tag colour table, wrapping around

    // The entry of a colour table of `count` entries this tag uses.
    int colorIndex(int count) const { return count > 0 ? ((color % count) + count) % count : 0; }

    bool operator==(const Tag&) const = default;
};
