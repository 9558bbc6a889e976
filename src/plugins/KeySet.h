#pragma once

#include <QStringView>
#include <string_view>
#include <unordered_set>
#include <vector>

// The keys of one mapping as views into a text that outlives the set: a short
// list is searched directly, a long one hashed.
class KeySet {
public:
    // False when the key is there already.
    bool add(QStringView key)
    {
        if (!set_.empty() || few_.size() >= 16) {
            if (set_.empty())
                for (const QStringView k : few_)
                    set_.insert(view(k));
            return set_.insert(view(key)).second;
        }
        for (const QStringView k : few_)
            if (k == key)
                return false;
        few_.push_back(key);
        return true;
    }

private:
    static std::u16string_view view(QStringView k)
    {
        return {reinterpret_cast<const char16_t*>(k.utf16()), size_t(k.size())};
    }
    std::vector<QStringView> few_;
    std::unordered_set<std::u16string_view> set_;
};
