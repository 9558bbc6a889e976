#pragma once

#include "core/Doc.h"
#include "core/Tag.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class DocumentModel;
class Preferences;

// The user's tags, which groups are collapsed, and the tags each file
// carries (kept by path, so that a file opened again gets its tags back).
// Main thread only. Setting an equal value emits nothing.
class TagStore : public QObject {
    Q_OBJECT
public:
    static inline const QString tagsKey = QStringLiteral("tags");
    static inline const QString collapsedKey = QStringLiteral("collapsed");
    static inline const QString fileTagsKey = QStringLiteral("fileTags");
    using FileTags = QMap<QString, QStringList>;

    TagStore(Preferences& ud, DocumentModel& docs, QObject* parent = nullptr);

    static QList<Tag> builtInTags();

    const QList<Tag>& tags() const { return tags_; }
    const QSet<QString>& collapsed() const { return collapsed_; }
    void setTags(QList<Tag> tags);
    void setCollapsed(QSet<QString> collapsed);

    // The stored tags (the built-in ones before any were stored) and collapsed groups.
    void restore();
    // Writes the tags and the collapsed groups.
    void persist();

    // Finds the tag of that name or makes it, and gives it to the document.
    void addTag(const QString& name, const DocPtr& doc = nullptr);
    void toggleTag(const QString& tagID, const DocPtr& doc);
    // Keeps a saved document's tags for its file.
    void saveTags(const DocPtr& doc);
    // The file's kept tags that still exist, in their kept order.
    QStringList tagsOfFile(const QString& path) const;
    // The file is gone under that name; a document saving it again keeps its tags anew.
    void forgetFile(const QString& path);

    // A new name for a tag; documents and files keep it (they refer to its id).
    void renameTag(const QString& tagID, const QString& name);
    // Moves a tag before another one, or to the end; its colour goes with it.
    void moveTag(const QString& tagID, const std::optional<QString>& before);
    // Takes the tag off every open document and every kept file.
    void removeTag(const QString& tagID);

signals:
    void tagsChanged();
    void collapsedChanged();

private:
    qsizetype indexOf(const QString& tagID) const;
    FileTags fileTags() const;

    Preferences& ud_;
    DocumentModel& docs_;
    QList<Tag> tags_;
    QSet<QString> collapsed_;
};
