#include "core/JSONCodec.h"

namespace {

QJsonValue member(const QJsonValue& j, const char* key) { return j.toObject().value(QLatin1String(key)); }

bool isHex(QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

}

QString uuidText(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

std::optional<QUuid> parseUuid(const QString& text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (int i = 0; i < 36; ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != u'-' : !isHex(text[i]))
            return std::nullopt;
    }
    const QUuid id = QUuid::fromString(text);
    if (id.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

QJsonValue JSONCodec<QMap<QString, QStringList>>::encode(const QMap<QString, QStringList>& map)
{
    QJsonObject o;
    for (auto it = map.begin(); it != map.end(); ++it)
        o.insert(it.key(), JSONCodec<QStringList>::encode(it.value()));
    return o;
}

std::optional<QMap<QString, QStringList>> JSONCodec<QMap<QString, QStringList>>::decode(const QJsonValue& j)
{
    if (!j.isObject())
        return std::nullopt;
    QMap<QString, QStringList> out;
    const QJsonObject o = j.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        auto ids = JSONCodec<QStringList>::decode(it.value());
        if (!ids)
            return std::nullopt;
        out.insert(it.key(), *ids);
    }
    return out;
}

QJsonValue JSONCodec<Tag>::encode(const Tag& t)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), t.id);
    o.insert(QStringLiteral("name"), t.name);
    o.insert(QStringLiteral("color"), t.color);
    return o;
}

std::optional<Tag> JSONCodec<Tag>::decode(const QJsonValue& j)
{
    if (!j.isObject())
        return std::nullopt;
    const QJsonValue id = member(j, "id");
    const QJsonValue name = member(j, "name");
    const QJsonValue color = member(j, "color");
    if (!id.isString() || !name.isString())
        return std::nullopt;
    const auto c = StoredJSON::toInt(color);
    if (!c)
        return std::nullopt;
    return Tag{id.toString(), name.toString(), *c};
}

QJsonValue JSONCodec<Settings>::encode(const Settings& s)
{
    QJsonObject o;
    o.insert(QStringLiteral("appearance"), s.appearance);
    o.insert(QStringLiteral("scheme"), s.scheme);
    o.insert(QStringLiteral("fontSize"), s.fontSize);
    o.insert(QStringLiteral("fontFamily"), s.fontFamily);
    o.insert(QStringLiteral("showWhitespace"), s.showWhitespace);
    o.insert(QStringLiteral("hanDoubleWidth"), s.hanDoubleWidth);
    o.insert(QStringLiteral("remoteImages"), s.remoteImages);
    QJsonObject indents;
    for (auto it = s.indents.begin(); it != s.indents.end(); ++it)
        indents.insert(it.key(), QJsonObject{{QStringLiteral("width"), it->width}, {QStringLiteral("tabs"), it->tabs}});
    if (!indents.isEmpty())
        o.insert(QStringLiteral("indents"), indents);
    QJsonObject wraps;
    for (auto it = s.wraps.begin(); it != s.wraps.end(); ++it)
        wraps.insert(it.key(), *it);
    if (!wraps.isEmpty())
        o.insert(QStringLiteral("wraps"), wraps);
    return o;
}

std::optional<Settings> JSONCodec<Settings>::decode(const QJsonValue& j)
{
    if (!j.isObject())
        return std::nullopt;
    const QJsonValue appearance = member(j, "appearance");
    const QJsonValue scheme = member(j, "scheme");
    const QJsonValue fontSize = member(j, "fontSize");
    if (!scheme.isString() || !fontSize.isDouble())
        return std::nullopt;
    const auto a = StoredJSON::toInt(appearance);
    if (!a)
        return std::nullopt;
    Settings s;
    s.appearance = *a;
    s.scheme = scheme.toString();
    s.fontSize = fontSize.toDouble();
    // Added later: settings stored before them, or with an odd value, keep the default.
    if (const QJsonValue family = member(j, "fontFamily"); family.isString())
        s.fontFamily = family.toString();
    if (const QJsonValue blanks = member(j, "showWhitespace"); blanks.isBool())
        s.showWhitespace = blanks.toBool();
    // Settings stored before indentation was kept have none; an entry that
    // does not read as one keeps the format's default.
    const QJsonObject indents = member(j, "indents").toObject();
    for (auto it = indents.begin(); it != indents.end(); ++it) {
        const auto width = StoredJSON::toInt(member(*it, "width"));
        const QJsonValue tabs = member(*it, "tabs");
        if (width && *width >= Indent::minWidth && *width <= Indent::maxWidth && tabs.isBool())
            s.indents.insert(it.key(), Indent{*width, tabs.toBool()});
    }
    if (const QJsonValue han = member(j, "hanDoubleWidth"); han.isBool())
        s.hanDoubleWidth = han.toBool();
    if (const QJsonValue web = member(j, "remoteImages"); web.isBool())
        s.remoteImages = web.toBool();
    const QJsonObject wraps = member(j, "wraps").toObject();
    for (auto it = wraps.begin(); it != wraps.end(); ++it)
        if (it->isBool())
            s.wraps.insert(it.key(), it->toBool());
    // Before wrap was kept per format one switch, off by default, covered all:
    // one the user turned on still wraps everything; off leaves each format its default.
    if (const QJsonValue all = member(j, "wordWrap");
        all.isBool() && all.toBool() && !j.toObject().contains(QStringLiteral("wraps")))
        for (const QString& format : Settings::formats())
            s.wraps.insert(format, true);
    return s;
}

QJsonValue JSONCodec<SessionItem>::encode(const SessionItem& item)
{
    QJsonObject o;
    if (item.path)
        o.insert(QStringLiteral("path"), *item.path);
    if (item.backup)
        o.insert(QStringLiteral("backup"), uuidText(*item.backup));
    if (item.caretLine)
        o.insert(QStringLiteral("caretLine"), *item.caretLine);
    if (item.topLine)
        o.insert(QStringLiteral("topLine"), *item.topLine);
    if (item.caretColumn)
        o.insert(QStringLiteral("caretColumn"), *item.caretColumn);
    return o;
}

std::optional<SessionItem> JSONCodec<SessionItem>::decode(const QJsonValue& j)
{
    if (!j.isObject())
        return std::nullopt;
    SessionItem item;
    if (const QJsonValue path = member(j, "path"); !path.isUndefined() && !path.isNull()) {
        if (!path.isString())
            return std::nullopt;
        item.path = path.toString();
    }
    if (const QJsonValue backup = member(j, "backup"); !backup.isUndefined() && !backup.isNull()) {
        if (!backup.isString())
            return std::nullopt;
        item.backup = parseUuid(backup.toString());
        if (!item.backup)
            return std::nullopt;
    }
    // The editor's place is a convenience: a missing or odd one only loses the place.
    const auto line = [&](const char* key) -> std::optional<int> {
        const QJsonValue v = member(j, key);
        if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 1e9)
            return std::nullopt;
        return int(v.toDouble());
    };
    item.caretLine = line("caretLine");
    item.topLine = line("topLine");
    item.caretColumn = line("caretColumn");
    return item;
}
