#include "views/state/Popup.h"

QString Popup::anchor() const
{
    switch (kind_) {
    case Kind::tags: return QStringLiteral("tags-") + docID_.toString(QUuid::WithoutBraces).toUpper();
    case Kind::feature: return QStringLiteral("feature");
    case Kind::encoding: return QStringLiteral("encoding");
    case Kind::eol: return QStringLiteral("eol");
    case Kind::format: return QStringLiteral("format");
    case Kind::settings: return QStringLiteral("settings");
    case Kind::outline: return QStringLiteral("outline");
    case Kind::shortcuts: return QStringLiteral("shortcuts");
    }
    return {};
}
