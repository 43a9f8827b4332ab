// line_reader_bench: times WFile::readln on files without line feeds (5 MB
// and 57 MB, the size of a grid file) and on a file of short lines, to show
// that reading a line costs time linear in its length.
//
// Run under Wine from any folder; it writes its files to the temp folder.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "BenchFiles.h"
#include "WException.h"
#include "WFile.h"

namespace {

// Milliseconds to read every line of the file; the line count in lines.
double readAll(const std::string& name, unsigned long& lines)
{
    double start = nowMs();
    WFile file(name.c_str());
    WString line;
    lines = 0;
    while (file.readln(line))
        ++lines;
    return nowMs() - start;
}

} // namespace

int main()
{
    try {
        const struct {
            const char* name;
            size_t bytes;
            bool lineFeeds;
        } cases[] = {{"orvex_bench_5mb.txt", 5u << 20, false},
                     {"orvex_bench_57mb.txt", 57u << 20, false},
                     {"orvex_bench_lines.txt", 57u << 20, true}};
        for (const auto& c : cases) {
            std::string content(c.bytes, 'x');
            if (c.lineFeeds) {
                for (size_t i = 431; i < content.size(); i += 432)
                    content[i] = '\n';
            }
            std::string name = tempFile(c.name);
            writeFile(name, content);
            unsigned long lines = 0;
            double ms = readAll(name, lines);
            std::printf("%-24s %6.1f MB  %8lu lines  %8.1f ms  %6.1f MB/s\n", c.name,
                        c.bytes / 1048576.0, lines, ms, c.bytes / 1048576.0 / (ms / 1000.0));
            DeleteFileA(name.c_str());
        }
    } catch (const WException& e) {
        std::printf("%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
