# web.cmake -- the web page: the program on the web back end, built with Emscripten into
# site/ (static files only). Included by the top CMakeLists.txt when the toolchain is
# Emscripten's (emcmake cmake); nothing else of the project is built then.
#
# The generator is a native tool, so the install folder and the page's icons come from a
# native build tree, QUARNEL_NATIVE_BUILD (default: build/ beside this source tree).

set(QUARNEL_NATIVE_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH
    "native build tree holding install_folder/ and web_icons/")
set(WEB_INSTALL_FOLDER ${QUARNEL_NATIVE_BUILD}/install_folder)
set(WEB_ICONS ${QUARNEL_NATIVE_BUILD}/web_icons)
foreach(needed ${WEB_INSTALL_FOLDER}/stamp ${WEB_ICONS}/manifest.webmanifest)
  if(NOT EXISTS ${needed})
    message(FATAL_ERROR "${needed} is missing: build the native tree's install folder first "
                        "(cmake --build ${QUARNEL_NATIVE_BUILD} --target install_folder)")
  endif()
endforeach()

set(WEB_DIR ${CMAKE_SOURCE_DIR}/src/platform/web)
set(SITE_DIR ${CMAKE_BINARY_DIR}/site)
# Every function that suspends the program until the page calls back.
set(WEB_ASYNC_IMPORTS web_wait_input,web_message_box)
# Bulk memory: memset and memcpy (every picture load clears its whole buffer) as single
# instructions rather than loops.
set(WEB_CODE_OPTIONS -mbulk-memory)
foreach(target quarnel_program quarnel_platform_common quarnel_cards quarnel_journal)
  target_compile_options(${target} PRIVATE ${WEB_CODE_OPTIONS})
endforeach()

# The journal panel (journal.js) asks the journal library through the jw_ functions
# (web_journal.cpp), with strings it copies into the program's memory: a journal of 10,000
# entries is some 25 MB, so the memory grows as it needs to.
set(WEB_JOURNAL_OPTIONS -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS=_main,_malloc,_free
    -sEXPORTED_RUNTIME_METHODS=UTF8ToString)

add_executable(quarnel-web ${WEB_DIR}/web_main.cpp ${WEB_DIR}/web_platform.cpp
               ${WEB_DIR}/widen.cpp ${WEB_DIR}/web_screen_text.cpp ${WEB_DIR}/web_journal.cpp)
# The Cards panel's calls into the card library (src/cards) are part of the page's program.
target_sources(quarnel-web PRIVATE ${CMAKE_SOURCE_DIR}/src/cards/web_cards.cpp)
target_link_libraries(quarnel-web PRIVATE quarnel_cards quarnel_journal quarnel_program
                      quarnel_platform_common)
target_compile_options(quarnel-web PRIVATE ${WEB_CODE_OPTIONS})
set_target_properties(quarnel-web PROPERTIES OUTPUT_NAME quarnel SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${SITE_DIR})
# The program suspends only through direct calls (sleep_ms, message_box, peek_message and
# get_message); no call through a pointer (the window procedure, the palette's converter)
# ever reaches one, so Asyncify leaves the functions that make such calls as they are.
# The install folder is not linked in: the page fetches it packed (make_site.cmake) and
# WebFiles (web_library.js) unpacks it into the file system before main runs. No eval or
# new Function in quarnel.js: the page's Content-Security-Policy allows neither.
target_link_options(quarnel-web PRIVATE ${WEB_CODE_OPTIONS}
  -sENVIRONMENT=web -sASYNCIFY -sASYNCIFY_IMPORTS=${WEB_ASYNC_IMPORTS} -sASYNCIFY_IGNORE_INDIRECT
  -sINITIAL_MEMORY=16MB -sASYNCIFY_STACK_SIZE=65536 -sFORCE_FILESYSTEM -sDYNAMIC_EXECUTION=0
  ${WEB_JOURNAL_OPTIONS}
  "SHELL:--js-library ${WEB_DIR}/web_library.js")
set_property(TARGET quarnel-web APPEND PROPERTY LINK_DEPENDS ${WEB_DIR}/web_library.js)

file(GLOB WEB_PAGE_FILES CONFIGURE_DEPENDS ${WEB_DIR}/site/*)
add_custom_target(site ALL
  COMMAND ${CMAKE_COMMAND} -DSITE=${SITE_DIR} -DPAGE=${WEB_DIR}/site -DICONS=${WEB_ICONS}
          -DFOLDER=${WEB_INSTALL_FOLDER} -P ${WEB_DIR}/make_site.cmake
  DEPENDS quarnel-web ${WEB_DIR}/make_site.cmake ${WEB_PAGE_FILES} ${WEB_ICONS}/manifest.webmanifest
          ${WEB_INSTALL_FOLDER}/stamp
  COMMENT "Finishing the web site in ${SITE_DIR}")
