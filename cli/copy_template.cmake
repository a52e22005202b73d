# Copies PRIMARY to DESTINATION when it exists, FALLBACK otherwise.
if(EXISTS "${PRIMARY}")
  set(source "${PRIMARY}")
else()
  set(source "${FALLBACK}")
endif()
file(COPY_FILE "${source}" "${DESTINATION}" ONLY_IF_DIFFERENT)
