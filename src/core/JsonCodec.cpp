#include "core/JsonCodec.h"

namespace {

const Json* member(const Json& j, const char* key)
{
    return j.toObject().value(QLatin1String(key));
}

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

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

Json JsonCodec<QMap<QString, QStringList>>::encode(const QMap<QString, QStringList>& map)
{
    Json::Object o;
    for (auto it = map.begin(); it != map.end(); ++it)
        o.insert(it.key(), JsonCodec<QStringList>::encode(it.value()));
    return Json(std::move(o));
}

std::optional<QMap<QString, QStringList>> JsonCodec<QMap<QString, QStringList>>::decode(const Json& j)
{
    if (!j.isObject())
        return std::nullopt;
    QMap<QString, QStringList> out;
    for (const auto& [key, value] : j.toObject().members()) {
        auto ids = JsonCodec<QStringList>::decode(value);
        if (!ids)
            return std::nullopt;
        out.insert(key, *ids);
    }
    return out;
}

Json JsonCodec<Tag>::encode(const Tag& t)
{
    Json::Object o;
    o.insert(QStringLiteral("id"), Json(t.id));
    o.insert(QStringLiteral("name"), Json(t.name));
    o.insert(QStringLiteral("color"), Json(t.color));
    return Json(std::move(o));
}

std::optional<Tag> JsonCodec<Tag>::decode(const Json& j)
{
    if (!j.isObject())
        return std::nullopt;
    const Json* id = member(j, "id");
    const Json* name = member(j, "name");
    const Json* color = member(j, "color");
    if (!id || !id->isString() || !name || !name->isString() || !color)
        return std::nullopt;
    const auto c = color->toInt();
    if (!c)
        return std::nullopt;
    return Tag{id->toString(), name->toString(), *c};
}

Json JsonCodec<Settings>::encode(const Settings& s)
{
    Json::Object o;
    o.insert(QStringLiteral("appearance"), Json(s.appearance));
    o.insert(QStringLiteral("scheme"), Json(s.scheme));
    o.insert(QStringLiteral("fontSize"), Json(s.fontSize));
    o.insert(QStringLiteral("wordWrap"), Json(s.wordWrap));
    return Json(std::move(o));
}

std::optional<Settings> JsonCodec<Settings>::decode(const Json& j)
{
    if (!j.isObject())
        return std::nullopt;
    const Json* appearance = member(j, "appearance");
    const Json* scheme = member(j, "scheme");
    const Json* fontSize = member(j, "fontSize");
    const Json* wordWrap = member(j, "wordWrap");
    if (!appearance || !scheme || !scheme->isString() || !fontSize || !fontSize->isNumber()
        || !wordWrap || !wordWrap->isBool())
        return std::nullopt;
    const auto a = appearance->toInt();
    if (!a)
        return std::nullopt;
    return Settings{*a, scheme->toString(), fontSize->toNumber(), wordWrap->toBool()};
}

Json JsonCodec<SessionItem>::encode(const SessionItem& item)
{
    Json::Object o;
    if (item.path)
        o.insert(QStringLiteral("path"), Json(*item.path));
    if (item.backup)
        o.insert(QStringLiteral("backup"), Json(uuidText(*item.backup)));
    if (item.caretLine)
        o.insert(QStringLiteral("caretLine"), Json(*item.caretLine));
    if (item.topLine)
        o.insert(QStringLiteral("topLine"), Json(*item.topLine));
    return Json(std::move(o));
}

std::optional<SessionItem> JsonCodec<SessionItem>::decode(const Json& j)
{
    if (!j.isObject())
        return std::nullopt;
    SessionItem item;
    if (const Json* path = member(j, "path"); path && !path->isNull()) {
        if (!path->isString())
            return std::nullopt;
        item.path = path->toString();
    }
    if (const Json* backup = member(j, "backup"); backup && !backup->isNull()) {
        if (!backup->isString())
            return std::nullopt;
        item.backup = parseUuid(backup->toString());
        if (!item.backup)
            return std::nullopt;
    }
    // The editor's place is a convenience: a missing or odd one only loses the place.
    const auto line = [&](const char* key) -> std::optional<int> {
        const Json* v = member(j, key);
        if (!v || !v->isNumber() || v->toNumber() < 0 || v->toNumber() > 1e9)
            return std::nullopt;
        return int(v->toNumber());
    };
    item.caretLine = line("caretLine");
    item.topLine = line("topLine");
    return item;
}
