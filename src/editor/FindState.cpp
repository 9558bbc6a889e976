#include "editor/FindState.h"

#define LV_FIND_SETTER(fn, member, signal, Type) \
    void FindState::fn(Type v)                   \
    {                                            \
        if ((member) == v)                       \
            return;                              \
        (member) = std::move(v);                 \
        emit signal();                           \
    }

LV_FIND_SETTER(setVisible, visible_, visibleChanged, bool)
LV_FIND_SETTER(setQuery, query_, searchChanged, const QString&)
LV_FIND_SETTER(setCaseSensitive, caseSensitive_, searchChanged, bool)
LV_FIND_SETTER(setWholeWord, wholeWord_, searchChanged, bool)
LV_FIND_SETTER(setUseRegex, useRegex_, searchChanged, bool)
LV_FIND_SETTER(setReplaceVisible, replaceVisible_, barChanged, bool)
LV_FIND_SETTER(setReplaceText, replaceText_, barChanged, const QString&)
LV_FIND_SETTER(setIndex, index_, barChanged, int)
LV_FIND_SETTER(setFocusToken, focusToken_, barChanged, int)
LV_FIND_SETTER(setMatchCount, matchCount_, barChanged, int)
LV_FIND_SETTER(setError, error_, barChanged, std::optional<QString>)
#undef LV_FIND_SETTER
