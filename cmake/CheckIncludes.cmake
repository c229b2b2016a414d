# Include rules of the layering, checked over the whole tree at build time:
#   cmake -DROOT=<repository> -DAREAS="core:|pdf:core|text:core,pdf" -P CheckIncludes.cmake
# - a platform area includes only its own headers and those of the areas it
#   declares (directly or through them);
# - a header named *_p.h is private to its area (and that area's tests);
# - the platform layer includes nothing of the folders above it, and the
#   shared utilities nothing of the engine, the decoders or the application;
# - a library's own headers are included only by the area wrapping it
#   (tests and benchmarks read PDFs with qpdf and Poppler themselves).
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" area_entries "${AREAS}")
set(known_areas)
foreach(entry IN LISTS area_entries)
  string(REGEX MATCH "^([^:]+):(.*)$" _ "${entry}")
  set(area ${CMAKE_MATCH_1})
  string(REPLACE "," ";" deps "${CMAKE_MATCH_2}")
  list(APPEND known_areas ${area})
  set(deps_${area} ${deps})
endforeach()

# Areas reachable from each area, itself included.
foreach(area IN LISTS known_areas)
  set(reach ${area})
  set(queue ${deps_${area}})
  while(queue)
    list(POP_FRONT queue next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND queue ${deps_${next}})
    endif()
  endwhile()
  set(reach_${area} ${reach})
endforeach()

# The area of a path below platform/: files of the folder itself and uti/
# are core; any other folder is an area of its own name (with subfolders).
function(area_of path out)
  if(path MATCHES "^platform/([^/]+)/")
    set(area ${CMAKE_MATCH_1})
    if(area STREQUAL "uti")
      set(area core)
    endif()
  else()
    set(area core)
  endif()
  set(${out} ${area} PARENT_SCOPE)
endfunction()

# Library headers and the only places that may include them.
set(library_rules
  "qpdf/=platform/pdf/"
  "poppler/=platform/pdf/"
  "poppler.h=platform/pdf/"
  "glib=platform/pdf/|platform/image/"
  "plist/=platform/[^/]+$"
  "zip.h=platform/text/"
  "zlib.h=platform/text/"
  "fontconfig/=platform/text/"
  "uchardet/=platform/text/"
  "QWebEngine=platform/web/"
  "QtWebEngine=platform/web/"
  "vips/=platform/image/"
  "lcms2=platform/image/"
  "Magick=platform/image/"
  "exiv2/=platform/image/"
  "webp/=platform/image/|engine/codecs/"
  "jpeglib.h=platform/image/|engine/codecs/"
  "openjpeg=platform/image/|engine/codecs/"
  "tiffio=platform/image/|engine/codecs/"
  "png.h=platform/image/|engine/codecs/"
  "QtNetwork=platform/net/"
  "QNetwork=platform/net/"
  "QAbstractSocket=platform/net/"
  "QTcpSocket=platform/net/"
  "QHostInfo=platform/net/")

file(GLOB_RECURSE files RELATIVE ${ROOT}
     ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp
     "${ROOT}/Common UI Code/*.h" "${ROOT}/Common UI Code/*.cpp"
     ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp
     ${ROOT}/pdfdecode/*.h ${ROOT}/pdfdecode/*.cpp
     ${ROOT}/app/*.h ${ROOT}/app/*.cpp
     ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp)

set(violations)
foreach(file IN LISTS files)
  file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  set(file_area "")
  if(file MATCHES "^platform/")
    area_of("${file}" file_area)
    if(NOT file_area IN_LIST known_areas)
      list(APPEND violations "${file}: folder of no declared platform area")
      continue()
    endif()
  endif()
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(quoted "${CMAKE_MATCH_1}")
    set(target "${CMAKE_MATCH_2}")
    if(quoted STREQUAL "\"" AND target MATCHES "^platform/")
      area_of("${target}" target_area)
      if(file_area AND NOT target_area IN_LIST reach_${file_area})
        list(APPEND violations "${file}: includes ${target} of area ${target_area}, which ${file_area} does not declare")
      endif()
      if(target MATCHES "_p\\.h$" AND NOT file_area STREQUAL target_area
         AND NOT file MATCHES "^tests/platform/${target_area}/")
        list(APPEND violations "${file}: includes ${target}, private to platform area ${target_area}")
      endif()
    elseif(quoted STREQUAL "\"")
      if(file MATCHES "^platform/" AND target MATCHES "^(engine|Common UI Code|pdfdecode|app)/")
        list(APPEND violations "${file}: the platform layer includes ${target}")
      elseif(file MATCHES "^Common UI Code/" AND target MATCHES "^(engine|pdfdecode|app)/")
        list(APPEND violations "${file}: the shared utilities include ${target}")
      elseif(file MATCHES "^(engine|pdfdecode)/" AND target MATCHES "^app/")
        list(APPEND violations "${file}: includes the application's ${target}")
      endif()
    endif()
    if(NOT file MATCHES "^(tests|bench)/")
      foreach(rule IN LISTS library_rules)
        string(REGEX MATCH "^([^=]+)=(.*)$" _ "${rule}")
        set(prefix "${CMAKE_MATCH_1}")
        set(allowed "${CMAKE_MATCH_2}")
        string(FIND "${target}" "${prefix}" at)
        if(at EQUAL 0 AND NOT file MATCHES "^(${allowed})")
          list(APPEND violations "${file}: includes the library header ${target} outside its platform area")
        endif()
      endforeach()
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Include rules broken:\n  ${text}")
endif()
