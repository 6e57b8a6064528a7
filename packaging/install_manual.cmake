# Install-time step: writes the manual pages (quill_manual_sources, each
# NAME.1.in) with the installed program folder in them, gzipped, into
# share/man/man1.
# Set by the caller: quill_manual_sources, quill_manual_work, PROJECT_VERSION,
# QUILL_RELEASE_DATE, quill_program_subdir.

set(QUILL_PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${quill_program_subdir}")
foreach(source IN LISTS quill_manual_sources)
  get_filename_component(name "${source}" NAME)
  string(REGEX REPLACE "\\.in$" "" name "${name}")
  set(page "${quill_manual_work}/${name}")
  configure_file("${source}" "${page}" @ONLY)
  # -n: no name or time stamp inside, so two packages of one source agree.
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/man/man1" TYPE FILE FILES "${page}.gz")
endforeach()
