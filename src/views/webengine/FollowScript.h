#pragma once

#include <QString>

// The preview's own script, run only in the application's isolated world:
// it scrolls the page to a source line and reports the line of a clicked
// block. The document's content never sees it, nor the channel it talks on.
namespace FollowScript {
// qwebchannel.js and the functions lorvaneFollow(line) and lorvaneReset().
const QString& source();
// The call that scrolls so the block at this (fractional) source line is at the top.
QString followCall(double line);
}
