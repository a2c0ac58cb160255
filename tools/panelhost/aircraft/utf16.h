// Text saved as UTF-16, as an XML gauge may be.
#pragma once

#include <string>

// The text as UTF-8 when it starts with a UTF-16 byte-order mark (either byte
// order); false, UTF8 untouched, when it does not.
bool FromUtf16(const std::string& text, std::string* utf8);
