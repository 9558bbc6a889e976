#pragma once

#include "plugins/PluginRegistry.h"

#include <QFrame>
#include <QStringList>
#include <optional>

class WindowModel;
class QLineEdit;
class QLabel;
class QPushButton;

// The name the field shows after a format tile is tapped.
QString nameAfterFormatTap(const QString& name, const PluginRegistry::Entry& entry, bool wasSelected);

// Start and length of a template's first heading text ("标题" in "# 标题"), if it opens with one.
std::optional<std::pair<int, int>> templateHeading(const QString& text);

// The form for a new document: name, optional format, tags.
class NewFileSheet : public QFrame {
    Q_OBJECT
public:
    explicit NewFileSheet(WindowModel& model, QWidget* parent = nullptr);

    // Back to an empty form; the name field takes focus on the next turn.
    void reset();
    void tapFormat(const QString& id);
    void tapTag(const QString& id);
    void create();
    void cancel();

    QString name() const;
    void setName(const QString& name);
    const std::optional<QString>& plugin() const { return plugin_; }
    const QStringList& tags() const { return tags_; }
    QLineEdit* nameField() const { return nameField_; }

protected:
    void paintEvent(QPaintEvent*) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void rebuildTags();
    void restyle();

    WindowModel& model_;
    QLineEdit* nameField_;
    QWidget* tiles_;
    QWidget* chips_;
    QWidget* cancelButton_ = nullptr;
    QWidget* createButton_ = nullptr;
    std::optional<QString> plugin_;
    QStringList tags_;
};
