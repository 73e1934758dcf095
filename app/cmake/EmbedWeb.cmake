# Writes OUTPUT, a C++ source holding the files of WEB_DIR as byte arrays behind FindWebAsset, so
# that the program serves its page without reading the source tree at run time.
file(GLOB assets RELATIVE ${WEB_DIR} ${WEB_DIR}/*.html ${WEB_DIR}/*.css ${WEB_DIR}/*.js ${WEB_DIR}/*.svg)
list(SORT assets)
set(arrays "")
set(table "")
set(index 0)
foreach(asset ${assets})
  file(READ ${WEB_DIR}/${asset} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char kAsset${index}[] = {\n${bytes}0x00};\n")
  get_filename_component(ext ${asset} LAST_EXT)
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  else()
    set(type "image/svg+xml")
  endif()
  set(path "/${asset}")
  if(asset STREQUAL "index.html")
    set(path "/")
  endif()
  string(APPEND table "    {\"${path}\", \"${type}\", {reinterpret_cast<const char*>(kAsset${index}), ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from app/web by app/cmake/EmbedWeb.cmake; edit the files there.
#include \"WebAssets.h\"

#include <iterator>

namespace moldbom {
namespace {

${arrays}
const WebAsset kAssets[] = {
${table}};

}  // namespace

const WebAsset* FindWebAsset(std::string_view path) {
  for (const WebAsset& asset : kAssets)
    if (asset.path == path) return &asset;
  return nullptr;
}

}  // namespace moldbom
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
