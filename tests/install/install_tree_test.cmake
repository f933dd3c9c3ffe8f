# Installs BUILD_DIR with DESTDIR=WORK_DIR and the prefix PREFIX, then checks what landed there.
# Every failed check is collected, so one run names all of them.
cmake_minimum_required(VERSION 3.25)

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${WORK_DIR}
          ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()
set(root "${WORK_DIR}${PREFIX}")

# The files, exactly as listed: nothing missing, nothing else.
file(STRINGS "${EXPECTED_FILES}" expected REGEX "^[^#]")
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
foreach(path IN LISTS expected)
  if(NOT path IN_LIST installed)
    fail("missing: ${path}")
  endif()
endforeach()
foreach(path IN LISTS installed)
  if(NOT path IN_LIST expected)
    fail("not in packaging/installed-files.txt: ${path}")
  endif()
endforeach()

# Each icon is a PNG of its folder's size: the signature, then the IHDR chunk whose width and
# height are big-endian words at bytes 16 and 20.
set(icon_sizes 16:00000010 24:00000018 32:00000020 48:00000030 64:00000040 128:00000080
  256:00000100)
foreach(entry IN LISTS icon_sizes)
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 size)
  list(GET entry 1 word)
  set(icon "${root}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
  if(EXISTS "${icon}")
    file(READ "${icon}" header LIMIT 24 HEX)
    if(NOT header MATCHES "^89504e470d0a1a0a0000000d49484452${word}${word}$")
      fail("${icon} is not a ${size} x ${size} PNG (it starts ${header})")
    endif()
  endif()
endforeach()

# The menu entry names the installed icon.
if(EXISTS "${root}/share/applications/${APP_ID}.desktop")
  file(STRINGS "${root}/share/applications/${APP_ID}.desktop" icon_lines REGEX "^Icon=")
  if(NOT icon_lines STREQUAL "Icon=${APP_ID}")
    fail("the desktop file names the icon '${icon_lines}', not Icon=${APP_ID}")
  endif()
endif()

# One version: the metainfo's release, the man pages' header and both programs' --version.
set(version_texts
  "share/metainfo/${APP_ID}.metainfo.xml|<release version=\"${VERSION}\" date=\"${RELEASE_DATE}\"/>"
  "share/man/man1/wayload.1|.TH WAYLOAD 1 \"${RELEASE_DATE}\" \"wayload ${VERSION}\""
  "share/man/man1/wayload-cli.1|.TH WAYLOAD\\-CLI 1 \"${RELEASE_DATE}\" \"wayload ${VERSION}\"")
foreach(entry IN LISTS version_texts)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 path)
  list(GET entry 1 text)
  if(EXISTS "${root}/${path}")
    file(READ "${root}/${path}" content)
    string(FIND "${content}" "${text}" at)
    if(at EQUAL -1)
      fail("${path} lacks: ${text}")
    endif()
  endif()
endforeach()

set(version_runs
  "bin/wayload-cli|wayload-cli ${VERSION}"
  "bin/wayload|wayload ${VERSION}")
foreach(entry IN LISTS version_runs)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 path)
  list(GET entry 1 text)
  if(EXISTS "${root}/${path}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                            "${root}/${path}" --version
      RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors
      OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0 OR NOT output STREQUAL text)
      fail("${path} --version said '${output}' (exit ${result}), not '${text}'\n${errors}")
    endif()
  endif()
endforeach()

# The udev rule names, for the USB device and for its tty, exactly the FTDI product ids the
# converter driver opens.
file(READ "${CONVERTER_IDS_SOURCE}" source)
if(NOT source MATCHES "kProductIds\\[\\] = {([^}]*)}")
  fail("no kProductIds in ${CONVERTER_IDS_SOURCE}")
endif()
string(REGEX REPLACE "[ \t\n]*0x([0-9a-fA-F]+)[ \t\n]*" "\\1" product_ids "${CMAKE_MATCH_1}")
string(REPLACE "," "|" product_ids "${product_ids}")
string(TOLOWER "${product_ids}" product_ids)
set(rule "${root}/lib/udev/rules.d/60-wayload.rules")
if(EXISTS "${rule}")
  foreach(subsystem usb tty)
    file(STRINGS "${rule}" line REGEX "^SUBSYSTEM==\"${subsystem}\"")
    foreach(part "ATTRS{idVendor}==\"0403\"" "ATTRS{idProduct}==\"${product_ids}\""
                 "TAG+=\"uaccess\"" "ENV{ID_MM_DEVICE_IGNORE}=\"1\"")
      string(FIND "${line}" "${part}" at)
      if(at EQUAL -1)
        fail("the udev rule's ${subsystem} line lacks ${part}: '${line}'")
      endif()
    endforeach()
  endforeach()
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "The install below ${PREFIX} falls short:\n  ${text}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "cmake --install below ${PREFIX}: every listed file, version ${VERSION} throughout")
