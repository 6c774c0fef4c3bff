// The worker's passes and icon groups.
#include "thumbs/core/thumbnail_passes.h"

#include <cstdlib>
#include <typeinfo>

#include <cxxabi.h>

#include "platform/core/shell_codes.h"

TThumbnailData* TThumbnailGroups::FindThumbnailData(int iconIndex) {
    for (const auto& group : groups_)
        if (group->IconIndex == iconIndex)
            return group.get();
    return nullptr;
}

TThumbnailData& TThumbnailGroups::AddGroup(int iconIndex, int item) {
    auto group = std::make_unique<TThumbnailData>();
    group->IconIndex = iconIndex;
    group->SharedImage = static_cast<int>(groups_.size());
    group->SharedCount = 1;
    group->ItemCount = 1;
    group->Items = {item};
    groups_.push_back(std::move(group));
    return *groups_.back();
}

void TThumbnailGroups::AddItem(TThumbnailData& group, int item) {
    group.Items.push_back(item);
    ++group.ItemCount;
    ++group.SharedCount;
}

TThumbnailData& TThumbnailGroups::GetThumbnailDataByItemIndex(int item) {
    for (const auto& group : groups_)
        for (int listed : group->Items)
            if (listed == item)
                return *group;
    throw EThumbnailExtractorThreadError("GetThumbnailDataByItemIndex(): item not found");
}

std::string WorkerFolder(std::string_view listedFolder) {
    if (!listedFolder.empty() && listedFolder.back() == '\\')
        listedFolder.remove_suffix(1);
    return std::string(listedFolder);
}

std::string ItemPath(const TThumbnailJob& job, size_t item) {
    return job.Folder + "\\" + job.Captions[item];
}

void ExtractDefaultIcons(const TThumbnailJob& job, TThumbnailGroups& groups,
                         TThumbnailPassHost& host) {
    const size_t count = job.Captions.size();
    for (size_t i = 0; i < count; ++i) {
        const int item = static_cast<int>(i);
        host.Post(job.Notify.CurrentItem, i, 0);
        const int iconIndex = host.SystemIconIndex(ItemPath(job, i));
        if (TThumbnailData* group = groups.FindThumbnailData(iconIndex)) {
            TThumbnailGroups::AddItem(*group, item);
            host.Post(job.Notify.ShareImage, i, group->SharedImage);
        } else {
            groups.AddGroup(iconIndex, item);
            host.PostDefaultIcon(job.Notify.AddImage, item, iconIndex);
        }
        host.Pause();
        if (host.Terminated())
            break;
    }
}

namespace {

// Releases the bound folder on every way out of the thumbnail pass.
class FolderBinding {
public:
    FolderBinding(TThumbnailPassHost& host, const std::string& folder) : host_(host) {
        host_.BindFolder(folder);
    }
    ~FolderBinding() { host_.ReleaseFolder(); }
    FolderBinding(const FolderBinding&) = delete;
    FolderBinding& operator=(const FolderBinding&) = delete;

private:
    TThumbnailPassHost& host_;
};

} // namespace

void ExtractThumbnails(const TThumbnailJob& job, TThumbnailGroups& groups,
                       TThumbnailPassHost& host) {
    const size_t count = job.Captions.size();
    if (count == 0)
        return;
    const FolderBinding folder(host, job.Folder);
    for (size_t i = 0; i < count; ++i) {
        const int item = static_cast<int>(i);
        host.Post(job.Notify.CurrentItem, i, 0);
        if (const auto thumbnail = host.ExtractThumbnail(job.Captions[i], job.Flags)) {
            if (host.Terminated()) {
                host.FreeThumbnail();
            } else {
                if (thumbnail->Width != job.Width || thumbnail->Height != job.Height)
                    host.FitThumbnail();
                if ((thumbnail->Flags & platform::IEIFLAG_NOBORDER) == 0)
                    host.DrawThumbnailBorder();
                TThumbnailData& group = groups.GetThumbnailDataByItemIndex(item);
                // While other items still show the shared default image the thumbnail becomes a
                // new image; the last one takes over the shared image's slot.
                host.PostThumbnail(
                    group.SharedCount > 1 ? job.Notify.AddImage : job.Notify.ReplaceImage, item);
                --group.SharedCount;
            }
        }
        host.Pause();
        if (host.Terminated())
            break;
    }
}

void RunThumbnailPasses(const TThumbnailJob& job, TThumbnailGroups& groups,
                        TThumbnailPassHost& host) {
    ExtractDefaultIcons(job, groups, host);
    host.Post(job.Notify.IconsDone, 0, 0);
    if (!host.Terminated())
        ExtractThumbnails(job, groups, host);
}

std::string ErrorClassName(const std::exception& error) {
    const char* mangled = typeid(error).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    const size_t scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}
