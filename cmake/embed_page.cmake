# Writes the web board's page files (serve/page/*) into one C++ source as raw strings, so the
# program serves them without reading anything at run time.
#   cmake -DPAGE_DIR=serve/page -DOUTPUT=serve_page_files.cpp -P embed_page.cmake
file(GLOB page_files RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
list(SORT page_files)
set(delimiter "zarvo_page")
set(entries "")
foreach(name ${page_files})
  file(READ ${PAGE_DIR}/${name} content)
  string(FIND "${content}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${name} holds the raw string's end \")${delimiter}\"")
  endif()
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "serve/page/${name}: no content type known for it")
  endif()
  set(path "/${name}")
  if(name STREQUAL "index.html")
    set(path "/")
  endif()
  string(APPEND entries "    {\"${path}\", \"${type}\", R\"${delimiter}(${content})${delimiter}\"},\n")
endforeach()
file(WRITE ${OUTPUT}.new
"// Generated from serve/page/ by cmake/embed_page.cmake: edit those files, not this one.\n"
"#include \"serve/page_files.h\"\n\n"
"namespace zarvo::serve {\n\n"
"std::span<const TPageFile> PageFiles() {\n"
"  static constexpr TPageFile kFiles[] = {\n${entries}  };\n"
"  return kFiles;\n"
"}\n\n"
"}  // namespace zarvo::serve\n")
# Only a change touches the file, so an unchanged page costs no rebuild.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
