// The thumbnail window's list as the viewer walks it: its items, selection and captions, its
// folder box, its preview Image1 and the preview's hidden copy Image2.
#pragma once

#include <memory>

#include "viewer/viewer_list.h"

std::unique_ptr<TViewerList> ThumbnailWindowList();
