// Texts from the system (paths, error texts) for the screen, shared by the
// libraries that report them.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string WidenUtf8(std::string_view strText);

// strerror_r text of an errno value.
std::string SystemError(int nErrno);
