// Texts from the system (paths, error texts) for the screen, shared by the
// libraries that report them.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string WidenUtf8(std::string_view strText);

// strerror_r text of an errno value.
std::string SystemError(int nErrno);

// The picture of a C0 control character or DEL (U+2400 to U+241F, U+2421); c itself otherwise.
char32_t ControlPicture(char32_t c);

// UTF-8 text with every control character shown, as the text view shows it: C0 and DEL as
// their pictures, C1 and bytes that are no UTF-8 as \xNN. Names that a person or a device
// chose (paths, USB descriptors) pass through it before they reach a screen, so none acts
// on a terminal or breaks a line.
std::string ShowControls(std::string_view strText);
