#pragma once

#include "views/preview/PreviewEngine.h"

#include <QLabel>

// Where the preview would be when the browser engine cannot be loaded: says
// why, and the document stays editable beside it.
class PreviewFailure : public QLabel, public PreviewPane {
    Q_OBJECT
public:
    PreviewFailure(const QString& reason, QWidget* parent);
    QWidget* widget() override { return this; }
    void setDoc(const DocPtr&) override {}
    void setZoom(double) override {}
    void followLine(double) override {}
    void stopFollowing() override {}
};
