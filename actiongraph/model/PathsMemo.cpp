#include "actiongraph/model/PathsMemo.h"

void TPathListMemo::Keep(const TPathList& items, int chosen)
{
    entries_.clear();
    for (const TPathItem& item : items.Items())
        entries_.push_back({item.text, item.path, item.path != nullptr});
    chosen_ = chosen;
}

void TPathListMemo::Forget()
{
    entries_.clear();
    chosen_ = -1;
}

TPathList TPathListMemo::Restore(int& chosen) const
{
    TPathList items(false);
    chosen = -1;
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        const Entry& e = entries_[static_cast<std::size_t>(i)];
        TPathPtr path = e.path.lock();
        if (e.hasPath && !path)
            continue;
        const int at = items.Add(e.text, std::move(path));
        if (i == chosen_)
            chosen = at;
    }
    if (chosen < 0 && items.Count() > 0)
        chosen = 0;
    return items;
}
