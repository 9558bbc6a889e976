#pragma once

class TextLines;

// Numbered Markdown lists kept in order, and items nested with Tab.
namespace ListNumbers {

// Numbers the items of the list around `line` one after another, each
// level on its own, starting from each level's first number.
void renumber(TextLines& lines, long line);
// Tab on an item nests it under the item before it, Shift+Tab moves it out
// a level; false when the caret's line is no list item.
bool nest(TextLines lines, bool out);

}
