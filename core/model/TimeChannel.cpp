#include "core/model/TimeChannel.h"

namespace timestream_detail {

void IndexOutOfRange(int line)
{
    throw EAssertionFailed("Index out of range", "timestream.h", line);
}

}  // namespace timestream_detail

bool PassesWordFilter(const std::string& fullName, const std::vector<std::string>& acceptWords,
                      const std::vector<std::string>& rejectWords)
{
    if (!acceptWords.empty()) {
        bool accepted = false;
        for (const std::string& word : acceptWords) {
            if (fullName.find(word) != std::string::npos) {
                accepted = true;
                break;
            }
        }
        if (!accepted)
            return false;
    }
    for (const std::string& word : rejectWords) {
        if (fullName.find(word) != std::string::npos)
            return false;
    }
    return true;
}

const std::string& TimeChannel::BuildFullName() const
{
    if (fullName.empty()) {
        if (parent != nullptr)
            fullName = parent->GetFullName() + "." + name;
        else
            fullName = name;
    }
    return fullName;
}

void TimeChannel::SetParent(CompositeTimeChannel* composite)
{
    parent = composite;
    // A name cached under the old parent would be wrong now, here and below.
    ForgetFullNames();
}

void TimeChannel::ForgetFullNames()
{
    fullName.clear();
    if (!isLeaf) {
        if (auto* composite = dynamic_cast<CompositeTimeChannel*>(this)) {
            for (TimeChannel* child : composite->GetChildren())
                child->ForgetFullNames();
        }
    }
}
