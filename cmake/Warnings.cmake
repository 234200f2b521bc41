# Warnings apply to our own targets only: picbatch_warnings is linked by each.
add_library(picbatch_warnings INTERFACE)
target_compile_options(picbatch_warnings INTERFACE -Wall -Wextra)
if(PICBATCH_WERROR)
  target_compile_options(picbatch_warnings INTERFACE -Werror)
endif()
