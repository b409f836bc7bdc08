# Writes OUTPUT: a C++ table of the built-in data files, bytes unchanged.
# RESOURCES holds "id=path" entries separated by "|".
string(REPLACE "|" ";" RESOURCES "${RESOURCES}")
set(body "")
set(table "")
set(index 0)
foreach(entry IN LISTS RESOURCES)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 id)
    list(GET parts 1 path)
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND body "const unsigned char data${index}[] = {${bytes}};\n")
    string(APPEND table "    {${id}, data${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from src/app/resources; do not edit.\n"
    "#include \"app/owner_data.h\"\n\nnamespace tesmira::detail {\nnamespace {\n${body}}  // namespace\n"
    "const OwnerDataEntry kOwnerData[] = {\n${table}};\n"
    "const size_t kOwnerDataCount = sizeof kOwnerData / sizeof kOwnerData[0];\n"
    "}  // namespace tesmira::detail\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
