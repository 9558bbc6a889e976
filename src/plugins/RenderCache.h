#pragma once

#include <QHash>
#include <QString>

#include <mutex>
#include <optional>

// A renderer's results by source, shared by the analysis threads, so that a
// keystroke elsewhere in a document costs no second run. Counted in
// characters of key and result; everything goes when it is full.
class RenderCache {
public:
    explicit RenderCache(qsizetype limit) : limit_(limit) {}

    std::optional<QString> find(const QString& key) const
    {
        std::lock_guard lock(mutex_);
        const auto it = entries_.constFind(key);
        if (it == entries_.constEnd())
            return std::nullopt;
        return *it;
    }

    void insert(const QString& key, const QString& value)
    {
        std::lock_guard lock(mutex_);
        if (size_ + key.size() + value.size() > limit_) {
            entries_.clear();
            size_ = 0;
        }
        entries_.insert(key, value);
        size_ += key.size() + value.size();
    }

private:
    mutable std::mutex mutex_;
    QHash<QString, QString> entries_;
    qsizetype size_ = 0;
    const qsizetype limit_;
};
