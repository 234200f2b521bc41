# PICBATCH_SANITIZE=address builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer; PICBATCH_SANITIZE=thread with ThreadSanitizer.
if(PICBATCH_SANITIZE STREQUAL "address")
  set(_san_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(PICBATCH_SANITIZE STREQUAL "thread")
  set(_san_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT PICBATCH_SANITIZE STREQUAL "")
  message(FATAL_ERROR "PICBATCH_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(_san_flags)
  add_compile_options(${_san_flags})
  add_link_options(${_san_flags})
endif()
