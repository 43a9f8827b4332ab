// Stands in for python.exe in the test of import-grid.cmd: appends its
// command line, less the program's name, to arguments.txt beside itself and
// exits with 3.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    const char* arguments = GetCommandLineA();
    if (*arguments == '"')
        arguments = strchr(arguments + 1, '"') + 1;
    else
        arguments += strcspn(arguments, " \t");
    arguments += strspn(arguments, " \t");

    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    strcpy(path + length, "arguments.txt");
    FILE* file = fopen(path, "a");
    if (file != NULL) {
        fprintf(file, "%s\n", arguments);
        fclose(file);
    }
    return 3;
}
