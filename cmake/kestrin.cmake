# Build rules shared by every folder of the tree.

set(KESTRIN_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers -Wno-cast-function-type)
# Deliverables and tests carry their compiler runtime: they import system DLLs only.
set(KESTRIN_STATIC_LINK -static -static-libgcc -static-libstdc++)

# kestrin_library(<name> [SOURCES ...] [DEPS targets...] [SYSLIBS libs...])
# A static library of the common code. Without SOURCES it takes every .cpp of its folder.
function(kestrin_library name)
  cmake_parse_arguments(K "" "" "SOURCES;DEPS;SYSLIBS" ${ARGN})
  if(NOT K_SOURCES)
    file(GLOB K_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.rc")
  endif()
  add_library(${name} STATIC ${K_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_compile_definitions(${name} PUBLIC WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0700 NOMINMAX STRICT)
  target_compile_options(${name} PRIVATE ${KESTRIN_WARNINGS})
  target_link_libraries(${name} PUBLIC ${K_DEPS} ${K_SYSLIBS})
endfunction()

# Programs and DLLs that ship, or that tests start: linked statically.
function(kestrin_link_static target)
  target_link_options(${target} PRIVATE ${KESTRIN_STATIC_LINK})
  target_compile_options(${target} PRIVATE ${KESTRIN_WARNINGS})
  set_property(GLOBAL APPEND PROPERTY KESTRIN_BINARIES ${target})
endfunction()

# kestrin_test(<name> SOURCES ... [LIBS ...] [WINVER ver] [ARGS ...] [PROPERTIES ...] [SHARED_STATE])
# A GoogleTest program run under Wine by ctest. WINVER makes Wine report that Windows version
# to this program; PROPERTIES are passed to set_tests_properties (FIXTURES_REQUIRED, TIMEOUT ...).
# SHARED_STATE: the program writes the user's settings, broadcasts observer events, counts
# the broadcasts it receives, moves the desktop's pointer or depends on where it is; such
# programs share the prefix's registry and desktop, so ctest runs them one at a time.
function(kestrin_test name)
  cmake_parse_arguments(K "SHARED_STATE" "WINVER" "SOURCES;LIBS;ARGS;PROPERTIES" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS} GTest::gtest GTest::gtest_main)
  kestrin_link_static(${name})
  set(emu "${PROJECT_SOURCE_DIR}/tools/wine-run.sh" --prefix "${KESTRIN_WINEPREFIX}")
  if(K_WINVER)
    list(APPEND emu --winver ${K_WINVER})
  endif()
  add_test(NAME ${name} COMMAND ${emu} $<TARGET_FILE:${name}> --gtest_brief=1 ${K_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
  if(K_SHARED_STATE)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK kestrin_shared_state)
  endif()
  if(K_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${K_PROPERTIES})
  endif()
endfunction()

# kestrin_test_copy(<new name> <test target> WINVER <ver> [ARGS ...] [SHARED_STATE])
# Runs an existing test program again under another name, so that Wine can report another
# Windows version to it (Wine keys the version by program file name).
function(kestrin_test_copy name target)
  cmake_parse_arguments(K "SHARED_STATE" "WINVER" "ARGS" ${ARGN})
  set(copy "${CMAKE_CURRENT_BINARY_DIR}/${name}.exe")
  add_custom_command(OUTPUT "${copy}" COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> "${copy}"
                     DEPENDS ${target} VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${copy}")
  add_test(NAME ${name} COMMAND "${PROJECT_SOURCE_DIR}/tools/wine-run.sh" --prefix "${KESTRIN_WINEPREFIX}"
           --winver ${K_WINVER} "${copy}" --gtest_brief=1 ${K_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
  if(K_SHARED_STATE)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK kestrin_shared_state)
  endif()
endfunction()

# One test that reads the import tables of every statically linked binary: nothing but
# system DLLs may be named there.
function(kestrin_add_import_check)
  get_property(binaries GLOBAL PROPERTY KESTRIN_BINARIES)
  set(files "")
  foreach(t IN LISTS binaries)
    list(APPEND files $<TARGET_FILE:${t}>)
  endforeach()
  add_test(NAME imports_are_system_only
           COMMAND "${PROJECT_SOURCE_DIR}/tools/check-imports.sh" "${CMAKE_OBJDUMP}" ${files})
endfunction()

# kestrin_registered_test(<name> <test target> ADDON <library target> [IE_VERSION version]
#                         [WITH targets...] [ARGS ...])
# Runs a GoogleTest program in a throwaway copy of the build's prefix in which the add-on
# library is registered with the system's regsvr32 (tools/wine-registered.sh); IE_VERSION is
# the browser version the registry then names.
function(kestrin_registered_test name target)
  cmake_parse_arguments(K "" "ADDON;IE_VERSION" "WITH;ARGS" ${ARGN})
  set(cmd "${PROJECT_SOURCE_DIR}/tools/wine-registered.sh" --prefix "${KESTRIN_WINEPREFIX}"
          --addon $<TARGET_FILE:${K_ADDON}>)
  if(K_IE_VERSION)
    list(APPEND cmd --ie-version ${K_IE_VERSION})
  endif()
  add_test(NAME ${name} COMMAND ${cmd} $<TARGET_FILE:${target}> --gtest_brief=1 ${K_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 240)
  add_dependencies(${target} ${K_ADDON} ${K_WITH})
endfunction()

# kestrin_throwaway_test(<name> SOURCES ... [LIBS ...] [WITH targets...] [DIR_LINKS link=target...]
#                        [WINVER ver] [ARGS ...])
# A GoogleTest program for code that installs, deletes or closes things: it runs in a copy of
# the build's throwaway template prefix (tools/wine-throwaway.sh), from C:\KestrinTest with the
# WITH programs beside it, and the copy is deleted afterwards.
function(kestrin_throwaway_test name)
  cmake_parse_arguments(K "" "WINVER" "SOURCES;LIBS;WITH;DIR_LINKS;ARGS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS} GTest::gtest GTest::gtest_main)
  kestrin_link_static(${name})
  get_filename_component(build_root "${KESTRIN_WINEPREFIX}" DIRECTORY)
  set(cmd "${PROJECT_SOURCE_DIR}/tools/wine-throwaway.sh" --template "${build_root}/throwaway-template")
  if(K_WINVER)
    list(APPEND cmd --winver ${K_WINVER})
  endif()
  foreach(t IN LISTS K_WITH)
    list(APPEND cmd --with $<TARGET_FILE:${t}>)
    add_dependencies(${name} ${t})
  endforeach()
  foreach(l IN LISTS K_DIR_LINKS)
    list(APPEND cmd --dir-link ${l})
  endforeach()
  add_test(NAME ${name} COMMAND ${cmd} $<TARGET_FILE:${name}> --gtest_brief=1 ${K_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# kestrin_ship_stripped(<target>): the library ships without its debug information and symbol
# table (less to map and relocate when a browser loads it); they are kept beside it as
# <file>.debug, which the library names (.gnu_debuglink) for debuggers.
function(kestrin_ship_stripped target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>" "$<TARGET_FILE:${target}>.debug"
    COMMAND "${CMAKE_OBJCOPY}" --strip-all "--add-gnu-debuglink=$<TARGET_FILE:${target}>.debug" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()

# kestrin_static_closure(<target> <variable>): the files of every static library of the project
# that <target> links, directly or through other libraries, as generator expressions.
function(kestrin_static_closure target variable)
  set(seen)
  set(queue ${target})
  set(files)
  while(queue)
    list(POP_FRONT queue current)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${property})
      if(NOT libs)
        continue()
      endif()
      foreach(lib ${libs})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(TARGET ${lib} AND NOT lib IN_LIST seen)
          list(APPEND seen ${lib})
          get_target_property(type ${lib} TYPE)
          if(type STREQUAL STATIC_LIBRARY)
            list(APPEND files "$<TARGET_FILE:${lib}>")
          endif()
          list(APPEND queue ${lib})
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${variable} ${files} PARENT_SCOPE)
endfunction()

# kestrin_delay_load(<target> <library>...)
# The system libraries named (crypt32, winhttp ...) are delay-loaded by <target>: each is loaded
# when one of its functions is first called, not with the module. The target's -l<library>
# finds a delay-load import library made from the toolchain's own, in a folder searched first.
function(kestrin_delay_load target)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}-delayload")
  string(REGEX REPLACE "gcc(-[a-z0-9]+)?$" "dlltool" dlltool "${CMAKE_C_COMPILER}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch x64)
  else()
    set(arch x86)
  endif()
  set(outputs)
  foreach(lib ${ARGN})
    execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-file-name=lib${lib}.a
                    OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(out "${dir}/lib${lib}.a")
    add_custom_command(OUTPUT "${out}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
      COMMAND bash "${PROJECT_SOURCE_DIR}/tools/delayload/make-delay-lib.sh" "${CMAKE_NM}" "${dlltool}"
              "${implib}" "${lib}.dll" "${out}" ${arch}
      DEPENDS "${PROJECT_SOURCE_DIR}/tools/delayload/make-delay-lib.sh" VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${target}_delayload DEPENDS ${outputs})
  add_dependencies(${target} ${target}_delayload)
  target_link_directories(${target} BEFORE PRIVATE "${dir}")
  if(arch STREQUAL x86)
    # The 32-bit linker keeps a delay-load function's binding code only when the function's own
    # symbol is asked for: just before the link, every one the module's inputs call is named.
    kestrin_static_closure(${target} inputs)
    set(keep "${dir}/keep-thunks.rsp")
    file(WRITE "${keep}" "")
    add_custom_command(TARGET ${target} PRE_LINK
      COMMAND bash "${PROJECT_SOURCE_DIR}/tools/delayload/keep-thunks.sh" "${CMAKE_NM}" "${keep}" "${dir}"
              "$<JOIN:$<TARGET_OBJECTS:${target}>,;>" ${inputs}
      COMMAND_EXPAND_LISTS VERBATIM)
    target_link_options(${target} PRIVATE "@${keep}")
  endif()
  # Every import slot the module calls through holds an address in the file: a null one would
  # be a call to address 0 the first time the function is used.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME ${target}_import_slots_are_bound
           COMMAND "${Python3_EXECUTABLE}" "${PROJECT_SOURCE_DIR}/tools/delayload/check-bound-slots.py"
                   "${CMAKE_OBJDUMP}" "$<TARGET_FILE:${target}>")
  # The helper that loads them and binds each function on its first call.
  target_link_libraries(${target} PRIVATE mingwex)
endfunction()
