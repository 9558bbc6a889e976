#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// How a document is shown: text only, text beside its preview, preview only.
class ViewMode {
public:
    enum Value : std::uint8_t { editor, split, preview };

    constexpr ViewMode(Value v = editor) : v_(v) {}
    constexpr operator Value() const { return v_; }

    QString rawValue() const;
    static std::optional<ViewMode> fromRawValue(const QString& raw);
    static const QList<ViewMode>& allCases();

private:
    Value v_;
};
