#include "render/WebFonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace WebFonts {

namespace {
QString& overrideDir()
{
    static QString dir;
    return dir;
}
}

void setFontsDirectoryForTesting(const QString& dir) { overrideDir() = dir; }

QString fontsDirectory()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    // Compiled into the program, so a moved or installed copy has them too.
    const QString embedded = QStringLiteral(":/Fonts");
    return QFileInfo(embedded).isDir() ? embedded : QString();
}

QStringList fontFiles()
{
    const QString dir = fontsDirectory();
    if (dir.isEmpty())
        return {};
    QStringList out;
    for (const QFileInfo& f : QDir(dir).entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name))
        out << f.absoluteFilePath();
    return out;
}

QString webFontFacesIn(const QString& dir)
{
    struct Row {
        const char* file;
        const char* family;
        int weight;
    };
    static const Row rows[] = {
        {"IBMPlexSans-Regular", "IBM Plex Sans", 400},
        {"IBMPlexSans-SemiBold", "IBM Plex Sans", 600},
        {"IBMPlexMono-Regular", "IBM Plex Mono", 400},
    };
    QStringList faces;
    if (dir.isEmpty())
        return QString();
    for (const Row& r : rows) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(r.file) + QStringLiteral(".ttf"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        if (f.error() != QFileDevice::NoError)
            continue;
        faces << QStringLiteral("@font-face{font-family:\"%1\";font-weight:%2;src:url(data:font/ttf;base64,")
                     .arg(QLatin1String(r.family))
                     .arg(r.weight)
                + QString::fromLatin1(bytes.toBase64()) + QStringLiteral(") format(\"truetype\")}");
    }
    return faces.join(QLatin1Char('\n'));
}

const QString& webFontFaces()
{
    static const QString text = webFontFacesIn(fontsDirectory());
    return text;
}

}
