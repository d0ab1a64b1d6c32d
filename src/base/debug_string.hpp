#pragma once

#include <string>
#include <string_view>

namespace kinetra {

// Appends `text` in double quotes with backslash escapes for quotes, backslashes and
// control characters (\n, \r, \t, \0, otherwise \u{hex}), as debug renderings show text.
void append_quoted(std::string& out, std::string_view text);

}  // namespace kinetra
