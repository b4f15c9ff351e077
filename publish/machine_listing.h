#pragma once

#include "publish/remote_entry.h"

#include <string_view>
#include <vector>

namespace quillery {

// The entries of an MLSD listing (RFC 3659): each line holds facts
// "name=value;" then a blank and the entry's name. The type fact gives
// file, dir or something else (Unknown); the directory itself and its
// parent (cdir, pdir) and lines without a name are left out.
std::vector<TRemoteEntry> ParseMachineListing(std::string_view listing);

} // namespace quillery
