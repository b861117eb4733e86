#pragma once

#include <string>

namespace quibrant::platform {

// Upper case as the program compares texts: the ASCII letters and the Latin-1
// letters à..þ (but ÷) written as UTF-8 become their capitals; every other
// character stays as it is, so no other character can turn into a code
// letter or a key of the ini file.
std::string upperCase(std::string text);

// The text without the space characters at either end; tabs and other blanks
// stay, as they are part of what the user or the file wrote.
std::string trimSpaces(const std::string& text);

// The text without spaces and tabs at either end, the blanks that may
// surround a value in an HTTP header.
std::string trimBlanks(const std::string& text);

}  // namespace quibrant::platform
