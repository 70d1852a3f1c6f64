# One warning list for every target of the project; zero warnings is the rule.
function(lexmora_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wpedantic
                                             -Wnon-virtual-dtor -Wcast-align)
endfunction()
