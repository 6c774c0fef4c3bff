// Counting what a copy will do, for its progress.
#include "platform/core/copy_observer.h"

#include <vector>

#include <sys/stat.h>

#include "platform/core/file_tree.h"

namespace platform::detail {

CopyTotals measureCopy(const std::string& hostPath, const std::function<bool()>& keepGoing) {
    // How many entries pass between two questions to keepGoing.
    constexpr uint64_t kAskEvery = 256;
    CopyTotals totals;
    std::vector<std::string> pending{hostPath};
    while (!pending.empty()) {
        const std::string path = std::move(pending.back());
        pending.pop_back();
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        ++totals.entries;
        if (S_ISREG(st.st_mode))
            totals.bytes += static_cast<uint64_t>(st.st_size);
        if (S_ISDIR(st.st_mode)) {
            std::vector<std::string> names;
            listEntryNames(path, names);
            for (const std::string& name : names)
                pending.push_back(path + "/" + name);
        }
        if (totals.entries % kAskEvery == 0 && !keepGoing())
            break;
    }
    return totals;
}

} // namespace platform::detail
