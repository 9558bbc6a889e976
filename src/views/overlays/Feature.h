#pragma once

#include <QList>
#include <QString>
#include <functional>

class WindowModel;

// An entry of the feature menu; the menu bar offers the same ones.
struct Feature {
    QString id;
    QString name;
    QString symbol;
    QString shortcut;  // shown beside the name, as the menu spells it
    std::function<bool(const WindowModel&)> isOn;
    std::function<void(WindowModel&)> run;

    static const QList<Feature>& all();
    static const Feature& byID(const QString& id);
};
