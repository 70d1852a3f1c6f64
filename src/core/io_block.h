// The block a file is read or written in where nothing asks for another size: large enough that
// the system calls cost little beside the work on the bytes, small enough for the stack.
#pragma once

#include <cstddef>

namespace lexmora {

inline constexpr std::size_t kIoBlock = std::size_t{1} << 16;

} // namespace lexmora
