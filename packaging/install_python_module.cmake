# Installs the Python module and its type stubs where the interpreter finds them: under /usr (the Debian
# package) Debian's path for every python3, lib/python3/dist-packages; under any other prefix the
# interpreter's own site-packages (lib/python3.11/site-packages, which Python searches under ~/.local for
# the user). Run by `cmake --install` with the variables install(CODE) sets: BHSIM_PYTHON_MODULE,
# BHSIM_PYTHON_STUB, BHSIM_PYTHON_VERSION and BHSIM_STRIP.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_python_dir "${CMAKE_INSTALL_PREFIX}/lib/python3/dist-packages")
else()
  set(_python_dir "${CMAKE_INSTALL_PREFIX}/lib/python${BHSIM_PYTHON_VERSION}/site-packages")
endif()
file(INSTALL DESTINATION "${_python_dir}" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     FILES "${BHSIM_PYTHON_MODULE}" "${BHSIM_PYTHON_STUB}")
get_filename_component(_module_name "${BHSIM_PYTHON_MODULE}" NAME)
# cmake --install --strip, and the Debian package (CPACK_STRIP_FILES), strip the module as the program.
if(CMAKE_INSTALL_DO_STRIP AND BHSIM_STRIP)
  execute_process(COMMAND "${BHSIM_STRIP}" --strip-unneeded "$ENV{DESTDIR}${_python_dir}/${_module_name}"
                  RESULT_VARIABLE _stripped)
  if(NOT _stripped EQUAL 0)
    message(FATAL_ERROR "cannot strip ${_python_dir}/${_module_name}")
  endif()
endif()
