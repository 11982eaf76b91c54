# vxst_embed(TARGET FUNCTION FILES...): compiles FILES into TARGET and defines
#   std::string_view FUNCTION(std::string_view name)
# which returns a file's bytes by its name relative to the calling folder
# (an empty view when there is no such file). Declare the function where it is used.
set(VXST_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFiles.cmake)
function(vxst_embed target function)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${function}_embedded.cpp)
  set(names)
  foreach(f ${ARGN})
    file(RELATIVE_PATH rel ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    list(APPEND names ${rel})
  endforeach()
  # The shell would split a ';'-separated list, so the names travel joined by '|'.
  string(REPLACE ";" "|" names "${names}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DFUNCTION=${function}
            -DBASE=${CMAKE_CURRENT_SOURCE_DIR} "-DFILES=${names}" -P ${VXST_EMBED_SCRIPT}
    DEPENDS ${ARGN} ${VXST_EMBED_SCRIPT}
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    COMMENT "Embedding resources into ${function}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
