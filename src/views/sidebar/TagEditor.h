#pragma once

#include "core/Doc.h"

#include <QWidget>

class AppModel;
class QLineEdit;
class QVBoxLayout;

// The tags popup of one document: toggle its tags, or create one by name.
class TagEditor : public QWidget {
    Q_OBJECT
public:
    TagEditor(AppModel& model, DocPtr doc, QWidget* parent = nullptr);
    QLineEdit* field() const { return field_; }
    // Tag names in order, with whether the document carries each.
    QList<std::pair<QString, bool>> rows() const;
    void clickRow(int index);

private:
    void rebuild();

    AppModel& model_;
    DocPtr doc_;
    QVBoxLayout* list_;
    QLineEdit* field_;
};
