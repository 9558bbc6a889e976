#pragma once

#include <QString>
#include <ostream>

// How GoogleTest shows Qt values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
