// The DOS code page of results saved "as ASCII": Windows-1252 text written in it, and read back
// for the screen and the record details.
#pragma once

#include <string>

namespace lexmora {

// Windows-1252 text in the DOS code page, in place; what the code page cannot hold becomes "?".
void ToDosCodePage(std::string& text);
// DOS code page text as Windows-1252, in place.
void FromDosCodePage(std::string& text);

} // namespace lexmora
