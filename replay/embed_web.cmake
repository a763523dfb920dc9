# Writes OUT, a C++ source that holds every file of the page in WEB_DIR (its
# tests and the vendored libraries' npm manifests left out) as bytes, so the
# program needs nothing installed beside it.
file(GLOB_RECURSE files RELATIVE ${WEB_DIR} ${WEB_DIR}/*)
list(FILTER files EXCLUDE REGEX "^(test|node_modules)/|^vendor/package(-lock)?\\.json$")
list(SORT files)
set(arrays "")
set(table "")
set(i 0)
foreach(f IN LISTS files)
  file(READ ${WEB_DIR}/${f} hex HEX)
  string(LENGTH "${hex}" n)
  math(EXPR size "${n} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char f${i}[] = {${bytes}0};\n")
  string(APPEND table "        {\"${f}\", f${i}, ${size}},\n")
  math(EXPR i "${i} + 1")
endforeach()
file(WRITE ${OUT}.tmp "#include \"replay/replay_builder.h\"\n\nnamespace tackedit {\n\nnamespace {\n${arrays}} // namespace\n\n"
  "const std::vector<WebFile>& ReplayWebFiles()\n{\n    static const std::vector<WebFile> files{\n${table}    };\n"
  "    return files;\n}\n\n} // namespace tackedit\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
