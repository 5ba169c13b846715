#pragma once
// Which link targets may reach a page. A page of the course runs in the
// player, and a target with a scheme such as "javascript:" would run in it
// when clicked: only web, mail and file-transfer addresses, relative paths
// and places in the document stay links; any other target leaves its text
// as plain text.
#include <string_view>

namespace word {

// Whether `target` is safe as a link, compared as a browser reads it:
// without case, spaces and controls trimmed, tabs and line ends inside
// dropped. An address longer than any real one (kMaxLinkLength) is not.
inline constexpr size_t kMaxLinkLength = 8192;
bool safeLinkTarget(std::u16string_view target);

}  // namespace word
