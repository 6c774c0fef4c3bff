// Counting a folder tree for the "Tree Size" command without freezing the program: the walk runs
// on a worker thread; a short count is simply waited for, a long one gets a modal progress window
// that keeps the program drawing and answering, shows how far the count has come, and stops it on
// Cancel or Escape. User-interface thread only (the worker touches no widget).
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include <QString>

#include "platform/core/tree_size.h"

class QWidget;

// The walk the count runs (platform::folderTreeSize; tests put a controllable one in its place).
using TTreeSizeWalk =
    std::function<platform::TreeSize(std::string_view path, platform::TreeSizeProgress* progress)>;

// How long the count is waited for before the progress window appears.
inline constexpr std::chrono::milliseconds TreeSizePatience{300};

// The total in bytes of the files under path; nullopt as soon as the user stops the count, also
// while the walk is stuck on a share that stopped answering. An empty path counts nothing (0).
std::optional<double> CountFolderTreeSize(const QString& path, QWidget* owner,
                                          std::chrono::milliseconds patience = TreeSizePatience,
                                          const TTreeSizeWalk& walk = platform::folderTreeSize);
