#pragma once

#include <QListView>

class DocSwitchModel;
class DocSwitcher;
class WindowModel;

// The list shown over the window while Ctrl+Tab walks the documents. It
// never takes the keyboard: the keys of the walk keep going to the editor
// and the window reads them from there.
class DocSwitchList : public QWidget {
    Q_OBJECT
public:
    DocSwitchList(WindowModel& model, DocSwitcher& switcher, QWidget* parent);
    // Follows the switcher: shown with its rows while walking, hidden after.
    void sync();
    QListView* view() const { return view_; }
    DocSwitchModel* rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void place();

    DocSwitcher& switcher_;
    DocSwitchModel* rows_;
    QListView* view_;
};
