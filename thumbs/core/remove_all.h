// RemoveAll: the text rule by which raw files, their preview sidecars and the captions that show
// them are told apart.
#pragma once

#include <string>
#include <string_view>

// text without any occurrence of part: finds the first occurrence (case-sensitive), deletes it and
// searches again from the start until none is left, so occurrences that a deletion brings
// together go too ("A.CR.CR22" without ".CR2" is "A"). An empty part leaves the text as it is.
std::string RemoveAll(std::string_view part, std::string_view text);
