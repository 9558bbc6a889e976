#include "core/Preferences.h"

#include <QSettings>

Preferences::Preferences()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Lorvane"), QStringLiteral("Lorvane")))
{
}

Preferences::Preferences(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

Preferences::~Preferences() = default;

std::optional<QByteArray> Preferences::blob(const QString& key) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

std::optional<QString> Preferences::string(const QString& key) const
{
    const QVariant v = settings_->value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

bool Preferences::contains(const QString& key) const { return settings_->contains(key); }

void Preferences::setBlob(const QString& key, const QByteArray& value)
{
    settings_->setValue(key, value);
    changed();
}

void Preferences::setString(const QString& key, const QString& value)
{
    settings_->setValue(key, value);
    changed();
}

void Preferences::remove(const QString& key)
{
    settings_->remove(key);
    changed();
}

void Preferences::changed()
{
    if (batches_ == 0)
        settings_->sync();
}

Preferences::Batch::Batch(Preferences& prefs) : prefs_(prefs) { ++prefs_.batches_; }

Preferences::Batch::~Batch()
{
    if (--prefs_.batches_ == 0)
        prefs_.settings_->sync();
}
