# cmake -DFILES=<file>|<file>... -DOUTPUT=<nsh> -P DemoDataSize.cmake
# Writes "!define DEMO_DATA_KB <n>": the size of the data sets the setup
# program generates, for its "Benötigter Speicher".
string(REPLACE "|" ";" files "${FILES}")
set(total 0)
foreach(file IN LISTS files)
    file(SIZE ${file} size)
    math(EXPR total "${total} + ${size}")
endforeach()
math(EXPR kilobytes "(${total} + 1023) / 1024")
file(WRITE ${OUTPUT} "!define DEMO_DATA_KB ${kilobytes}\n")
