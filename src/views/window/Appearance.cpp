#include "views/window/Appearance.h"

#include "editor/Palette.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QWidget>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Portal answers arrive as variants, sometimes nested (Read wraps the value once more).
std::optional<uint> unwrap(QVariant v)
{
    for (int i = 0; i < 3 && v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>(); ++i)
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint n = v.toUInt(&ok);
    return ok ? std::optional<uint>(n) : std::nullopt;
}

std::optional<uint> call(const QString& method)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage m = QDBusMessage::createMethodCall(portalService, portalPath, portalInterface, method);
    m << appearanceNamespace << colorSchemeKey;
    // A missing portal must not hold up the start.
    const QDBusMessage reply = bus.call(m, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return unwrap(reply.arguments().first());
}

}

Appearance::Appearance(QObject* parent, Reader reader) : QObject(parent), reader_(std::move(reader))
{
    // The desktop's own palette, before ours replaces it, is the last resort.
    fallbackDark_ = QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
    if (!reader_) {
        reader_ = &Appearance::readPortal;
        QDBusConnection::sessionBus().connect(portalService, portalPath, portalInterface,
                                              QStringLiteral("SettingChanged"), this,
                                              SLOT(settingChanged(QString, QString, QDBusVariant)));
    }
    desktop_ = reader_();
}

std::optional<bool> Appearance::fromColorScheme(uint value)
{
    if (value == 1)
        return true;
    if (value == 2)
        return false;
    return std::nullopt;
}

std::optional<bool> Appearance::readPortal()
{
    std::optional<uint> v = call(QStringLiteral("ReadOne"));
    if (!v)
        v = call(QStringLiteral("Read"));
    return v ? fromColorScheme(*v) : std::nullopt;
}

void Appearance::settingChanged(const QString& ns, const QString& key, const QDBusVariant& value)
{
    if (ns != appearanceNamespace || key != colorSchemeKey)
        return;
    const auto v = unwrap(value.variant());
    desktop_ = v ? fromColorScheme(*v) : std::nullopt;
    update();
}

void Appearance::desktopChanged()
{
    desktop_ = reader_();
    update();
}

void Appearance::apply(int choice)
{
    choice_ = choice;
    update();
}

void Appearance::update()
{
    bool dark = fallbackDark_;
    if (choice_ == 1)
        dark = false;
    else if (choice_ == 2)
        dark = true;
    else if (desktop_)
        dark = *desktop_;
    if (applied_ && dark == dark_)
        return;
    applied_ = true;
    dark_ = dark;
    QApplication::setPalette(paletteFor(dark));
    // The application's notice reaches child widgets only; the windows are told here.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        QEvent e(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(w, &e);
    }
    Palette::setAppearance(dark);
}

QPalette Appearance::paletteFor(bool dark)
{
    const auto c = [dark](const DynamicColor& d) { return d.resolve(dark); };
    QPalette p;
    for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Window, c(Palette::window()));
        p.setColor(g, QPalette::WindowText, g == QPalette::Disabled ? c(Palette::fg3()) : c(Palette::fg()));
        p.setColor(g, QPalette::Base, c(Palette::window()));
        p.setColor(g, QPalette::AlternateBase, c(Palette::sidebar()));
        p.setColor(g, QPalette::Text, g == QPalette::Disabled ? c(Palette::fg3()) : c(Palette::fg()));
        p.setColor(g, QPalette::PlaceholderText, c(Palette::fg3()));
        p.setColor(g, QPalette::Button, c(Palette::window()));
        p.setColor(g, QPalette::ButtonText, g == QPalette::Disabled ? c(Palette::fg3()) : c(Palette::fg()));
        p.setColor(g, QPalette::ToolTipBase, c(Palette::window()));
        p.setColor(g, QPalette::ToolTipText, c(Palette::fg()));
        p.setColor(g, QPalette::Highlight, c(Palette::selection()));
        p.setColor(g, QPalette::HighlightedText, c(Palette::fg()));
        p.setColor(g, QPalette::Link, c(Palette::accent()));
        p.setColor(g, QPalette::Mid, c(Palette::line()));
        p.setColor(g, QPalette::Light, c(Palette::hover()));
        p.setColor(g, QPalette::Midlight, c(Palette::hover()));
        p.setColor(g, QPalette::Dark, c(Palette::line()));
        p.setColor(g, QPalette::Shadow, c(Palette::line()));
    }
    return p;
}
