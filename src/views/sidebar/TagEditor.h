#pragma once

#include "core/Doc.h"

#include <QWidget>

class WindowModel;
class QKeyEvent;
class QLineEdit;
class QVBoxLayout;

// The tags popup of one document: toggle its tags, or create one by name.
class TagEditor : public QWidget {
    Q_OBJECT
public:
    TagEditor(WindowModel& model, DocPtr doc, QWidget* parent = nullptr);
    QLineEdit* field() const { return field_; }
    // Tag names in order, with whether the document carries each.
    QList<std::pair<QString, bool>> rows() const;
    void clickRow(int index);
    // The row the arrow keys highlight, -1 for none.
    int current() const { return current_; }

protected:
    // Up/Down move the highlight over the tags; Return toggles the
    // highlighted tag unless the field holds a new tag's name.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void rebuild();
    void setCurrent(int index);
    int current_ = -1;

    WindowModel& model_;
    DocPtr doc_;
    QVBoxLayout* list_;
    QLineEdit* field_;
};
