#include "views/preview/PreviewFailure.h"

#include "editor/Palette.h"

PreviewFailure::PreviewFailure(const QString& reason, QWidget* parent)
    : QLabel(PreviewEngine::unavailable(reason), parent)
{
    setObjectName(QStringLiteral("previewFailure"));
    setAccessibleName(QStringLiteral("预览"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setStyleSheet(QStringLiteral("QLabel{background:%1;color:%2;padding:26px 30px}")
                      .arg(Palette::window().resolve().name(), Palette::fg2().resolve().name()));
}
