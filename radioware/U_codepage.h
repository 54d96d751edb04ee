#pragma once
// Windows-1251, the code page of parameter files and memory images. The conversion is a
// bijection on bytes: the one byte without a character (0x98) maps to U+0098 and back, so
// text read from a file or image and written back comes out byte for byte the same.

#include <string>
#include <string_view>

std::string Cp1251ToUtf8(std::string_view bytes);
// Characters without a Windows-1251 byte, and malformed UTF-8, become "?".
std::string Utf8ToCp1251(std::string_view utf8);
