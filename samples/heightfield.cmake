# Writes OUT: the height field of the Cinder Ridge map, a few hundred KiB of numbers made by a
# fixed formula, so the copy has a file large enough to move the progress bars.
set(rows "")
foreach(y RANGE 63)
    set(row "")
    foreach(x RANGE 63)
        math(EXPR h "((${x} * 37 + ${y} * 91 + ${x} * ${y}) % 251 + (${x} ^ ${y}) % 17) % 256")
        string(APPEND row " ${h}")
    endforeach()
    string(APPEND rows "${row}\n")
endforeach()
string(REPEAT "${rows}" 24 field)
file(WRITE ${OUT} "heightfield 64 1536\n${field}")
