// What a path list held, kept without holding its paths: a window that lends
// its list to another view gets it back as it was, less the paths that went
// meanwhile with the lists that held them.
#pragma once

#include "actiongraph/model/Paths.h"

#include <memory>
#include <string>
#include <vector>

class TPathListMemo {
public:
    // Remembers the items in their order and which one was chosen.
    void Keep(const TPathList& items, int chosen);
    void Forget();
    bool Empty() const { return entries_.empty(); }
    // The remembered items whose path still lives (items without a path
    // always do), unsorted in the remembered order; chosen becomes the index
    // of the remembered choice among them, 0 when it went, -1 for no items.
    TPathList Restore(int& chosen) const;

private:
    struct Entry {
        std::string text;
        std::weak_ptr<TPathObject> path;
        bool hasPath = false;
    };
    std::vector<Entry> entries_;
    int chosen_ = -1;
};
