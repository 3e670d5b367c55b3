# cmake -DBUILD_DIR=... -DPROBE=... -DBINDIR=... -DPRIVATE_DIR=... -DDATADIR=...
#       -DHOME_PAGE=... -P check_install.cmake
#
# Installs BUILD_DIR into a fresh prefix and checks the installed tree. Every
# failed check is printed; the script fails at the end if any did.
cmake_minimum_required(VERSION 3.25)

foreach(var IN ITEMS BUILD_DIR PROBE BINDIR PRIVATE_DIR DATADIR HOME_PAGE)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "${var} is not given")
  endif()
endforeach()

set(app_id io.github.totora.Totora)
set(failed 0)
macro(fail)
  string(JOIN "" fail_text ${ARGV})
  message("FAIL: ${fail_text}")
  math(EXPR failed "${failed} + 1")
endmacro()

# The prefix lies under /tmp, which every user can walk into, so the installed
# copy can be started as a user who does not own it. The name also carries the
# build folder, for test runs of two build folders started in the same second.
string(RANDOM LENGTH 8 ALPHABET abcdefghijklmnopqrstuvwxyz0123456789 tag)
string(SHA1 build_hash "${BUILD_DIR}")
string(SUBSTRING "${build_hash}" 0 8 build_hash)
set(root "/tmp/totora-install-${build_hash}-${tag}")
set(prefix "${root}/prefix")
file(MAKE_DIRECTORY "${prefix}" "${root}/config")
file(CHMOD "${root}" "${prefix}" "${root}/config" PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

macro(finish)
  file(CHMOD_RECURSE "${root}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(REMOVE_RECURSE "${root}")
  if(failed GREATER 0)
    message(FATAL_ERROR "${failed} install check(s) failed")
  endif()
  message("install checks passed")
  return()
endmacro()

# --- install --------------------------------------------------------------
unset(ENV{DESTDIR})
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("cmake --install failed (${rc}); are TT04K0007 and Vellum3Res built?\n${out}${err}")
  finish()
endif()

# --- exactly these files land ----------------------------------------------
set(expected
  "${BINDIR}/TT04K0007"
  "${PRIVATE_DIR}/TT04K0007"
  "${PRIVATE_DIR}/Vellum3Res.so"
  "${DATADIR}/applications/${app_id}.desktop"
  "${DATADIR}/metainfo/${app_id}.metainfo.xml"
  "${DATADIR}/icons/hicolor/scalable/apps/${app_id}.svg")
set(icon_sizes 16 24 32 48 64 128 256)
foreach(size IN LISTS icon_sizes)
  list(APPEND expected "${DATADIR}/icons/hicolor/${size}x${size}/apps/${app_id}.png")
endforeach()
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
set(missing ${expected})
list(REMOVE_ITEM missing ${found})
set(extra ${found})
list(REMOVE_ITEM extra ${expected})
foreach(file IN LISTS missing)
  fail("not installed: ${file}")
endforeach()
foreach(file IN LISTS extra)
  fail("installed but not wanted: ${file}")
endforeach()

# --- the program and its library side by side; the link to the program -----
set(link "${prefix}/${BINDIR}/TT04K0007")
file(REAL_PATH "${prefix}/${PRIVATE_DIR}" private_real)
if(NOT IS_SYMLINK "${link}")
  fail("${BINDIR}/TT04K0007 is not a symbolic link")
else()
  file(READ_SYMLINK "${link}" link_target)
  if(IS_ABSOLUTE "${link_target}")
    fail("${BINDIR}/TT04K0007 points at an absolute path (${link_target}); the tree cannot move")
  endif()
  file(REAL_PATH "${link}" link_real)
  if(NOT link_real STREQUAL "${private_real}/TT04K0007")
    fail("${BINDIR}/TT04K0007 leads to ${link_real}, not the installed program")
  endif()
endif()
foreach(file IN ITEMS TT04K0007 Vellum3Res.so)
  if(NOT EXISTS "${private_real}/${file}")
    fail("${file} is not in ${PRIVATE_DIR}")
  endif()
endforeach()

# --- desktop entry and metainfo: valid, and naming each other ---------------
set(desktop "${prefix}/${DATADIR}/applications/${app_id}.desktop")
set(metainfo "${prefix}/${DATADIR}/metainfo/${app_id}.metainfo.xml")
find_program(desktop_file_validate desktop-file-validate)
find_program(appstreamcli appstreamcli)
if(NOT desktop_file_validate OR NOT appstreamcli)
  fail("desktop-file-validate or appstreamcli is missing; run scripts/install-deps.sh")
endif()
if(desktop_file_validate AND EXISTS "${desktop}")
  execute_process(COMMAND "${desktop_file_validate}" "${desktop}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    fail("desktop-file-validate:\n${out}${err}")
  endif()
  file(READ "${desktop}" text)
  foreach(line IN ITEMS "Exec=TT04K0007" "Icon=${app_id}")
    if(NOT text MATCHES "(^|\n)${line}\n")
      fail("the desktop entry lacks \"${line}\"")
    endif()
  endforeach()
endif()
if(appstreamcli AND EXISTS "${metainfo}")
  # Strict: a warning or a hint fails too, only pedantic notes pass. The
  # tree check also finds the desktop entry and icons the metainfo names.
  foreach(check IN ITEMS "validate;${metainfo}" "validate-tree;${prefix}")
    list(POP_FRONT check command)
    execute_process(COMMAND "${appstreamcli}" ${command} --no-net --strict --no-color ${check}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      fail("appstreamcli ${command}:\n${out}${err}")
    endif()
  endforeach()
  file(READ "${metainfo}" text)
  foreach(part IN ITEMS
      "<launchable type=\"desktop-id\">${app_id}.desktop</launchable>"
      "<url type=\"homepage\">${HOME_PAGE}</url>")
    string(FIND "${text}" "${part}" at)
    if(at EQUAL -1)
      fail("the metainfo lacks ${part}")
    endif()
  endforeach()
  if(text MATCHES "@[A-Za-z_]+@")
    fail("the metainfo holds an unreplaced ${CMAKE_MATCH_0}")
  endif()
endif()

# --- started through the link by a user who does not own the tree -----------
# A probe beside the program, started through a link like the program's,
# reports the folder the program would see, where its settings would go and
# what the maker's library answers.
if(NOT IS_SYMLINK "${link}" OR NOT EXISTS "${private_real}/Vellum3Res.so")
  finish()
endif()
get_filename_component(link_dir "${link_target}" DIRECTORY)
file(COPY "${PROBE}" DESTINATION "${private_real}")
get_filename_component(probe_name "${PROBE}" NAME)
file(CREATE_LINK "${link_dir}/${probe_name}" "${prefix}/${BINDIR}/${probe_name}" SYMBOLIC)

set(ENV{XDG_CONFIG_HOME} "${root}/config")
set(ENV{HOME} "${root}/config")
unset(ENV{XDG_RUNTIME_DIR})
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(run_as "")
set(probe_runs TRUE)
if(uid STREQUAL "0")
  # Permission bits do not bind root: start the probe as nobody instead.
  find_program(setpriv setpriv)
  execute_process(COMMAND id -u nobody OUTPUT_VARIABLE nobody_uid RESULT_VARIABLE rc_uid
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND id -g nobody OUTPUT_VARIABLE nobody_gid RESULT_VARIABLE rc_gid
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(setpriv AND rc_uid EQUAL 0 AND rc_gid EQUAL 0)
    set(run_as "${setpriv}" --reuid=${nobody_uid} --regid=${nobody_gid} --clear-groups --)
    execute_process(COMMAND ${run_as} test -x "${prefix}/${BINDIR}/${probe_name}"
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      fail("nobody cannot start ${prefix}/${BINDIR}/${probe_name}; "
           "are the installed files readable by every user?")
      set(probe_runs FALSE)
    endif()
  else()
    set(probe_runs FALSE)
    message("not checked: an installed copy started by another user (no setpriv or no user nobody)")
  endif()
else()
  # The owner of the tree stands in for another user once it cannot write there.
  file(CHMOD "${private_real}" PERMISSIONS
       OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

if(probe_runs)
  execute_process(COMMAND ${run_as} "${prefix}/${BINDIR}/${probe_name}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE err TIMEOUT 60)
  if(NOT rc EQUAL 0)
    fail("the probe did not run (${rc}):\n${report}${err}")
  else()
    foreach(key IN ITEMS folder settings-read settings-write settings-beside home-page
                         home-page-error)
      string(REGEX MATCH "(^|\n)${key}=([^\n]*)" line "${report}")
      string(MAKE_C_IDENTIFIER "${key}" name)
      set(probe_${name} "${CMAKE_MATCH_2}")
    endforeach()
    if(NOT probe_folder STREQUAL private_real)
      fail("started through the link, the program sees its folder as \"${probe_folder}\", "
           "not ${private_real}")
    endif()
    if(NOT probe_home_page STREQUAL HOME_PAGE)
      fail("the maker's library beside the program gave \"${probe_home_page}\" "
           "(${probe_home_page_error}), not ${HOME_PAGE}")
    endif()
    string(FIND "${probe_settings_write}" "${root}/config/Totora/TT04K0007/" at)
    if(NOT at EQUAL 0)
      fail("an installed copy writes its settings to \"${probe_settings_write}\", "
           "not the per-user folder")
    endif()
    if(NOT probe_settings_read STREQUAL probe_settings_write)
      fail("an installed copy reads its settings from \"${probe_settings_read}\" "
           "but writes them to \"${probe_settings_write}\"")
    endif()
    if(NOT probe_settings_beside STREQUAL "${private_real}/${probe_name}.ini")
      fail("the file beside the program would be \"${probe_settings_beside}\"")
    endif()
  endif()
endif()

finish()
