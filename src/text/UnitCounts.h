#pragma once

#include <QByteArrayView>
#include <QStringView>

// Lengths of a text in the other encoding without converting it: the editor
// holds UTF-8, the documents UTF-16, and columns and positions cross over.
namespace UnitCounts {

// UTF-16 code units of a UTF-8 run.
qsizetype utf16Units(QByteArrayView utf8);
// UTF-8 bytes of a UTF-16 text.
qsizetype utf8Bytes(QStringView text);

}
