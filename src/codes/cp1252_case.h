// Upper and lower case of Windows-1252 text, byte for byte, as the program compares words.
#pragma once

#include <string>
#include <string_view>

namespace lexmora {

unsigned char lowerCp1252(unsigned char c);
unsigned char upperCp1252(unsigned char c);
std::string toLowerCp1252(std::string_view text);

} // namespace lexmora
