#pragma once

#include <QString>

namespace FileName {
// Text after the last ".", lower-cased; empty without a "." or for hidden
// names whose only "." is the first character.
QString ext(const QString& name);
// Text before the last "."; the whole name where ext finds none.
QString base(const QString& name);
}
