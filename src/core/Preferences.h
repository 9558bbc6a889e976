#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

// The per-user preferences store: byte blobs and plain strings by key.
// Every change is flushed at once, so a crash right after it loses nothing;
// changes that belong together can be flushed as one write (Batch).
class Preferences {
public:
    // While one is alive, changes wait; the outermost flushes them in one
    // write of the file when it ends.
    class Batch {
    public:
        explicit Batch(Preferences& prefs);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        Preferences& prefs_;
    };

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
    void changed();

    std::unique_ptr<QSettings> settings_;
    int batches_ = 0;
};
