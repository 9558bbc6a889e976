#pragma once

class CaretLines;

// Numbered Markdown lists kept in order, and items nested with Tab.
namespace ListNumbers {

// Numbers the items of the list around `line` one after another, each
// level on its own, starting from each level's first number.
void renumber(CaretLines& lines, long line);
// Tab on an item nests it under the item before it, Shift+Tab moves it out
// a level; false when the caret's line is no list item.
bool nest(CaretLines lines, bool out);

}
