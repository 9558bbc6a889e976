#include "editor/AppFonts.h"

#include "render/WebFonts.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace AppFonts {

namespace {
const QString monoFamily = QStringLiteral("IBM Plex Mono");
const QString sansFamily = QStringLiteral("IBM Plex Sans");

QFont sized(QFont f, double size)
{
    // Points are device-independent pixels here.
    f.setPixelSize(qMax(1, qRound(size)));
    return f;
}

QFont::Weight qtWeight(Weight w)
{
    switch (w) {
    case Weight::regular: return QFont::Normal;
    case Weight::medium: return QFont::Medium;
    case Weight::semibold: return QFont::DemiBold;
    case Weight::bold: return QFont::Bold;
    }
    return QFont::Normal;
}
}

void registerFonts()
{
    // Han characters the Plex faces lack come in their Simplified forms
    // whatever the locale: fontconfig would pick the Japanese ones under
    // LANG=C.UTF-8.
    static const bool simplified = [] {
        QFont::insertSubstitution(monoFamily, QStringLiteral("Noto Sans Mono CJK SC"));
        for (const QString& family : {sansFamily, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()})
            QFont::insertSubstitution(family, QStringLiteral("Noto Sans CJK SC"));
        QFont::insertSubstitution(QFontDatabase::systemFont(QFontDatabase::FixedFont).family(),
                                  QStringLiteral("Noto Sans Mono CJK SC"));
        return true;
    }();
    Q_UNUSED(simplified);
    static QStringList done;
    for (const QString& file : WebFonts::fontFiles()) {
        if (done.contains(file))
            continue;
        done << file;
        QFontDatabase::addApplicationFont(file);  // failures leave the fallback in place
    }
}

bool hasFace(const QString& family, int weight)
{
    if (!QFontDatabase::hasFamily(family))
        return false;
    for (const QString& style : QFontDatabase::styles(family))
        if (QFontDatabase::weight(family, style) == weight && !QFontDatabase::italic(family, style))
            return true;
    return false;
}

QFont mono(double size, Weight weight)
{
    const QFont::Weight w = weight == Weight::regular ? QFont::Normal : QFont::Medium;
    if (hasFace(monoFamily, w)) {
        QFont f(monoFamily);
        f.setWeight(w);
        f.setStyleHint(QFont::Monospace);
        f.setFixedPitch(true);
        return sized(f, size);
    }
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setWeight(qtWeight(weight));
    return sized(f, size);
}

QFont editor(const QString& family, double size)
{
    if (family.isEmpty() || family == monoFamily || !QFontDatabase::hasFamily(family))
        return mono(size);
    QFont f(family);
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    return sized(f, size);
}

QFont evenHan(double size)
{
    const QString family = QStringLiteral("Noto Sans Mono CJK SC");
    if (!QFontDatabase::hasFamily(family))
        return mono(size);
    QFont f(family);
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    return sized(f, size);
}

QStringList monospaceFamilies()
{
    QStringList out;
    for (const QString& f : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(f) && !QFontDatabase::isPrivateFamily(f))
            out << f;
    out.sort(Qt::CaseInsensitive);
    return out;
}

QFont sans(double size, Weight weight)
{
    const QFont::Weight w = weight == Weight::regular ? QFont::Normal
        : weight == Weight::medium                    ? QFont::Medium
                                                      : QFont::DemiBold;
    if (hasFace(sansFamily, w)) {
        QFont f(sansFamily);
        f.setWeight(w);
        return sized(f, size);
    }
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setWeight(qtWeight(weight));
    return sized(f, size);
}

QFont plex(double size, Weight weight)
{
    QFont f(sansFamily);
    f.setWeight(weight == Weight::semibold || weight == Weight::bold ? QFont::DemiBold
                    : weight == Weight::medium                       ? QFont::Medium
                                                                     : QFont::Normal);
    return sized(f, size);
}

QFont plexMono(double size, Weight weight)
{
    QFont f(monoFamily);
    f.setWeight(weight == Weight::regular ? QFont::Normal : QFont::Medium);
    f.setStyleHint(QFont::Monospace);
    return sized(f, size);
}

const QString& webFontFaces() { return WebFonts::webFontFaces(); }

}
