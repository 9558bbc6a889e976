#pragma once

#include "PageScript.h"
#include "WaitUntil.h"
#include "WindowFixture.h"
#include "editor/Palette.h"
#include "views/webengine/PreviewView.h"

// The main window with its own preview page, asked through scripts; the
// appearance a test forces is undone after it.
struct PreviewWindow : WindowFixture {
    ~PreviewWindow() override { Palette::setAppearance(std::nullopt); }
    PreviewView* preview() const { return window->findChild<PreviewView*>(); }
    // The window makes its preview in a turn after the one that opened the file.
    ::testing::AssertionResult previewMade()
    {
        return waitUntil([this] { return preview() != nullptr; }, 10000);
    }
    // Waits up to ten seconds for the page to answer the script with true.
    bool showing(const QString& js)
    {
        return static_cast<bool>(
            waitUntil([&] { return preview()->isReady() && evaluate(*preview(), js).toBool(); }, 10000));
    }
};
