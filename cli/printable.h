// Text from files and file names on its way to a terminal or a line of
// output: control characters are shown as \xHH, so that a crafted pulse
// file or file name can neither move the cursor, rewrite the screen nor
// forge a line of output.
#pragma once

#include <string>
#include <string_view>

namespace orvane::cli {

std::string Printable(std::string_view text);

}  // namespace orvane::cli
