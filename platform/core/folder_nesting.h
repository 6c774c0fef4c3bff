// Whether one folder lies inside another, as the file system sees it (links and the spelling of
// names resolved), so that a folder is never moved or copied into itself. Standard C++ only.
#pragma once

#include <string_view>

namespace platform {

// True when the program path `folder` names the folder `outer` itself or a folder anywhere below
// it. outer is taken as it is (a link named outer is the link, not the folder it points to);
// folder is followed through links. False when either does not exist, and when a share holding
// either does not answer within the bounded wait (the copy or move that follows refuses a folder
// put inside itself on its own).
bool folderLiesWithin(std::string_view folder, std::string_view outer);

} // namespace platform
