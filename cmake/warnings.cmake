# One warning list for every target of the project; zero warnings is the rule.
function(lexmora_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wpedantic
                                             -Wnon-virtual-dtor -Wcast-align)
    # GCC 12 reports impossible overlaps inside std::string concatenation when optimising
    # (a known false positive of that release), so that one check is left to other compilers.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
