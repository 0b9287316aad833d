# make_site.cmake -- finishes the web site in SITE: the packed install folder, the page and its
# scripts and stylesheet with the art's colours and the site's version, the manifest and
# icons from the generator, and the service worker with the list of every file.
#   cmake -DSITE=dir -DPAGE=src/platform/web/site -DICONS=build/web_icons
#         -DFOLDER=build/install_folder -P make_site.cmake

foreach(variable SITE PAGE ICONS FOLDER)
  if(NOT ${variable})
    message(FATAL_ERROR "make_site.cmake needs -D${variable}=...")
  endif()
endforeach()

# [SECTION] The packed install folders

# A packed folder: one line of JSON, the folder's files and their sizes in order
# ({"folder": "/quarnel", "files": [["picture/CardDB.dat", 71390], ...]}), a newline, then
# the files' bytes one after the other. web_library.js (WebFiles) unpacks it. It is sent
# gzip-compressed, whatever the server does (static hosts rarely compress a .data file), and
# decompressed by the page; the plain one stays for browsers that cannot decompress, which
# fetch it instead. Each language has its own: quarnel.data holds the English folder
# (unpacked into /quarnel), quarnel-CODE.data a language's (into /quarnel/CODE); the page
# fetches only the one of the language it speaks.
find_program(GZIP gzip REQUIRED)
function(pack_folder from folder name)
  file(GLOB_RECURSE packed RELATIVE ${from} ${from}/picture/* ${from}/sound/*)
  list(SORT packed)
  set(listing "")
  set(parts ${SITE}/${name}.listing)
  foreach(file ${packed})
    file(SIZE ${from}/${file} size)
    if(listing)
      string(APPEND listing ", ")
    endif()
    string(APPEND listing "[\"${file}\", ${size}]")
    list(APPEND parts ${from}/${file})
  endforeach()
  file(WRITE ${SITE}/${name}.listing "{\"folder\": \"${folder}\", \"files\": [${listing}]}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${parts} OUTPUT_FILE ${SITE}/${name}
                  RESULT_VARIABLE cat_result)
  file(REMOVE ${SITE}/${name}.listing)
  execute_process(COMMAND ${GZIP} -9 -n -c ${SITE}/${name} OUTPUT_FILE ${SITE}/${name}.gz
                  RESULT_VARIABLE gzip_result)
  if(NOT cat_result EQUAL 0 OR NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "packing ${from} into ${SITE}/${name} failed")
  endif()
endfunction()

pack_folder(${FOLDER} /quarnel quarnel.data)
file(GLOB language_folders RELATIVE ${FOLDER} ${FOLDER}/*/picture/language.txt)
set(SITE_PACKS "'quarnel.data.gz'")
foreach(marker ${language_folders})
  string(REGEX REPLACE "/picture/language.txt$" "" code ${marker})
  pack_folder(${FOLDER}/${code} /quarnel/${code} quarnel-${code}.data)
  string(APPEND SITE_PACKS ", 'quarnel-${code}.data.gz'")
endforeach()

# [SECTION] The page

file(STRINGS ${ICONS}/colours.txt colour_lines)
foreach(line ${colour_lines})
  if(line MATCHES "^sky_top (#[0-9a-f]+)$")
    set(SKY_TOP ${CMAKE_MATCH_1})
  elseif(line MATCHES "^sky_bottom (#[0-9a-f]+)$")
    set(SKY_BOTTOM ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT SKY_TOP OR NOT SKY_BOTTOM)
  message(FATAL_ERROR "${ICONS}/colours.txt lacks sky_top or sky_bottom")
endif()

foreach(file manifest.webmanifest icon-192.png icon-512.png icon-maskable-512.png
        apple-touch-icon.png words.js)
  configure_file(${ICONS}/${file} ${SITE}/${file} COPYONLY)
endforeach()

# The page's own files: index.html and every script and stylesheet beside it but the
# service worker (a new part of the page is a new file here and a tag in index.html).
file(GLOB page_files RELATIVE ${PAGE} ${PAGE}/*.js ${PAGE}/*.css)
list(REMOVE_ITEM page_files sw.js)
list(SORT page_files)
list(PREPEND page_files index.html)

# The version: a digest of every file the site serves, the page's files as written here
# (before the version goes into them).
set(files ${page_files} words.js quarnel.js quarnel.wasm manifest.webmanifest icon-192.png
    icon-512.png icon-maskable-512.png apple-touch-icon.png)
# The packed folders are part of the version too; the service worker keeps those the page
# has fetched (sw.js, SITE_PACKS) rather than every language's.
file(GLOB pack_files RELATIVE ${SITE} ${SITE}/quarnel*.data.gz)
list(SORT pack_files)
set(hashes "SKY_TOP ${SKY_TOP} SKY_BOTTOM ${SKY_BOTTOM}\n")
foreach(file ${files} ${pack_files} sw.js)
  if(EXISTS ${PAGE}/${file})
    file(SHA256 ${PAGE}/${file} hash)
  elseif(EXISTS ${SITE}/${file})
    file(SHA256 ${SITE}/${file} hash)
  else()
    message(FATAL_ERROR "the site lacks ${file}")
  endif()
  string(APPEND hashes "${hash} ${file}\n")
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
foreach(file ${page_files})
  configure_file(${PAGE}/${file} ${SITE}/${file} @ONLY)
endforeach()

# "./" is the page as a home-screen icon opens it.
set(SITE_FILES "'./'")
foreach(file ${files})
  string(APPEND SITE_FILES ", '${file}'")
endforeach()
configure_file(${PAGE}/sw.js ${SITE}/sw.js @ONLY)
