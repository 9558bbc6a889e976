// Every button and field of the main window, its sheet, dialogs and popups
// carries a name a screen reader can say.
#include "views/overlays/PopupLayer.h"
#include "views/sheets/NewFileSheet.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWebEngineView>
#include <Qsci/qsciscintillabase.h>

#include "WindowFixture.h"

namespace {

bool isControl(QWidget* w)
{
    if (qobject_cast<QScrollBar*>(w))
        return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)
        || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QsciScintillaBase*>(w)
        || (w->focusPolicy() & Qt::TabFocus);
}

// Class and position of every shown control without a name.
std::vector<std::string> unnamed(QWidget* root, int* controls)
{
    std::vector<std::string> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || !isControl(w))
            continue;
        // The web view's own inner widgets are Chromium's, named by it.
        bool web = false;
        for (QWidget* p = w->parentWidget(); p && !web; p = p->parentWidget())
            web = qobject_cast<QWebEngineView*>(p);
        if (web)
            continue;
        ++*controls;
        if (w->accessibleName().trimmed().isEmpty())
            out.push_back(std::string(w->metaObject()->className()) + " \"" + w->objectName().toStdString()
                          + "\" under " + (w->parentWidget() ? w->parentWidget()->metaObject()->className() : "none"));
    }
    return out;
}

struct AccessibleNames : WindowFixture {
    void expectAllNamed(const char* scene, int atLeast)
    {
        nextTurn();
        int controls = 0;
        const auto missing = unnamed(window.get(), &controls);
        EXPECT_GE(controls, atLeast) << scene;
        for (const auto& m : missing)
            ADD_FAILURE() << scene << ": " << m;
    }
};

}

TEST_F(AccessibleNames, EveryButtonAndFieldOfEveryLayerIsNamed)
{
    window->openFiles({write(QStringLiteral("a.json"), "{\"a\": 1}\n")});
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    model->addTag(QStringLiteral("工作"), doc);
    model->openFind(true);
    expectAllNamed("window", 15);
    model->closeFind();

    for (const Popup& p : {Popup::feature(), Popup::encoding(), Popup::eol(), Popup::format(), Popup::settings(),
                           Popup::tags(doc->id), Popup::shortcuts()}) {
        model->setPopup(p);
        expectAllNamed(p.anchor().toUtf8().constData(), 10);
        model->setPopup(std::nullopt);
    }

    model->setShowNewFile(true);
    expectAllNamed("new-file sheet", 15);
    model->setShowNewFile(false);

    model->askRename(doc);
    expectAllNamed("rename dialog", 10);
    model->chooseRole(Dialog::Role::cancel);
}
