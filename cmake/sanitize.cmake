# AddressSanitizer and UndefinedBehaviorSanitizer for the test build; ThreadSanitizer for the
# threaded parts (it cannot be combined with the other two).
if(LEXMORA_SANITIZE AND LEXMORA_TSAN)
    message(FATAL_ERROR "LEXMORA_SANITIZE and LEXMORA_TSAN cannot be used together")
endif()
if(LEXMORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(LEXMORA_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
