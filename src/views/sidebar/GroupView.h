#pragma once

#include "core/Doc.h"

#include <QColor>
#include <QWidget>
#include <functional>

class AppModel;
class DocRow;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// One group of the sidebar: a tag with its open documents, or "_" for the untagged ones.
struct SidebarGroup {
    QString id;
    QString name;
    QColor color;
    QList<DocPtr> docs;
};

// A group's header and rows. The rows of documents that stay listed are kept and
// moved; only rows of documents that arrive or leave are made or deleted.
class GroupView : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    static constexpr int visibleLimit = 8;
    GroupView(AppModel& model, const QString& id, QWidget* parent = nullptr);
    void setGroup(const SidebarGroup& group, bool capped);
    const QString& id() const { return id_; }
    QWidget* header() const { return header_; }
    QWidget* endZone() const { return endZone_; }
    // The scroll area holding the rows while the group is capped.
    QScrollArea* rowScroll() const { return rowScroll_; }
    QList<DocRow*> rows() const;
    // Told about every row made, so that its tag button can report itself.
    std::function<void(DocRow*)> onRowMade;

protected:
    bool eventFilter(QObject*, QEvent*) override;

private:
    void paintHeader();
    AppModel& model_;
    QString id_;
    QColor color_;
    bool open_ = true;
    QWidget* header_;
    QLabel* name_;
    QLabel* count_;
    QWidget* rowBox_;
    QVBoxLayout* rowList_;
    QScrollArea* rowScroll_ = nullptr;
    QVBoxLayout* column_;
    QWidget* endZone_;
    bool endOver_ = false;
};
