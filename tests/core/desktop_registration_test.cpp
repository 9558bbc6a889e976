// The desktop opens a file with the editor only when its extension is in the
// installed MIME package and the type is in the desktop entry: both must
// follow the plugin registry.
#include "plugins/PluginRegistry.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

QString resource(const QString& name) { return QStringLiteral(LORVANE_RESOURCES "/") + name; }

// Pattern "*.ext" -> MIME type, as the MIME package declares them.
QMap<QString, QString> mimeGlobs()
{
    QFile f(resource(QStringLiteral("lorvane-mime.xml")));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    QXmlStreamReader xml(&f);
    QMap<QString, QString> globs;
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            globs.insert(xml.attributes().value(QLatin1String("pattern")).toString(), type);
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return globs;
}

QSet<QString> desktopTypes()
{
    QFile f(resource(QStringLiteral("org.lorvane.Lorvane.desktop")));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("MimeType=")) {
            const QStringList types = QString::fromUtf8(line.mid(9)).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            return QSet<QString>(types.cbegin(), types.cend());
        }
    return {};
}

QSet<QString> registryPatterns()
{
    QSet<QString> out;
    for (const FormatPlugin& p : PluginRegistry::all())
        for (const QString& ext : p.extensions)
            out.insert(QStringLiteral("*.") + ext);
    return out;
}

}

TEST(DesktopRegistration, MimePackageAndDesktopEntryFollowThePluginRegistry)
{
    const QMap<QString, QString> globs = mimeGlobs();
    const QSet<QString> wanted = registryPatterns();
    ASSERT_GE(wanted.size(), 15);
    for (const QString& pattern : wanted)
        EXPECT_TRUE(globs.contains(pattern)) << "missing from lorvane-mime.xml: " << pattern.toStdString();
    for (auto it = globs.cbegin(); it != globs.cend(); ++it)
        EXPECT_TRUE(wanted.contains(it.key())) << "no plugin claims " << it.key().toStdString();
    // And the desktop entry opens every type of the package.
    const QSet<QString> types = desktopTypes();
    for (auto it = globs.cbegin(); it != globs.cend(); ++it)
        EXPECT_TRUE(types.contains(it.value()))
            << it.key().toStdString() << " is " << it.value().toStdString() << ", not in the desktop entry";
}
