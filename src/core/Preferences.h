#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

// The per-user preferences store: byte blobs and plain strings by key.
// Every change is flushed at once, so a crash right after it loses nothing.
class Preferences {
public:
    // The standard store of the application (organisation and application "Lorvane").
    Preferences();
    // A store in a file of its own (INI format).
    explicit Preferences(const QString& filePath);
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    // Absent when missing or not a byte blob.
    std::optional<QByteArray> blob(const QString& key) const;
    // Absent when missing or not a string.
    std::optional<QString> string(const QString& key) const;
    bool contains(const QString& key) const;

    void setBlob(const QString& key, const QByteArray& value);
    void setString(const QString& key, const QString& value);
    void remove(const QString& key);

private:
    std::unique_ptr<QSettings> settings_;
};
