#include "GridFileProbe.h"

#include "DataSets.h"
#include "WException.h"
#include "WFile.h"

namespace {

const unsigned int gridRows = 36;
// Far more than any block the program writes (28613 bytes): the bytes read
// to tell a block size.
const unsigned long probeBytes = 1024 * 1024;

// The length of the line starting at `from`, its line feed included; 0 when
// no line feed follows within the bytes.
size_t lineLength(const std::string& bytes, size_t from)
{
    size_t lineFeed = bytes.find('\n', from);
    return lineFeed == std::string::npos ? 0 : lineFeed + 1 - from;
}

// The block size told from the bytes of a grid file's beginning (its first
// block and the next block's header line, as far as the file has them) and
// the file's size; 0 and why not (German, Windows-1252) in `problem` when it
// cannot be told.
unsigned int blockSizeFromContent(const std::string& beginning, unsigned long long fileSize,
                                  std::string& problem)
{
    problem.clear();
    size_t header = lineLength(beginning, 0);
    size_t row = header == 0 ? 0 : lineLength(beginning, header);
    if (header == 0 || row < 2) {
        problem = "keine Kopfzeile mit folgender Rasterzeile";
        return 0;
    }
    // Every row line of the block has the first one's length: values in
    // fields of one width, joined by single spaces.
    for (unsigned int r = 1; r < gridRows; ++r) {
        if (lineLength(beginning, header + r * row) != row) {
            problem = "die 36 Rasterzeilen des ersten Monats sind nicht gleich lang";
            return 0;
        }
    }
    unsigned long long blockSize = header + gridRows * row;
    if (fileSize % blockSize != 0) {
        problem = "die Dateigröße " + std::to_string(fileSize) +
                  " ist kein Vielfaches der Blockgröße " + std::to_string(blockSize);
        return 0;
    }
    // The next block, if any, starts with a header line of the same length.
    if (fileSize > blockSize && lineLength(beginning, blockSize) != header) {
        problem = "der zweite Monat beginnt nicht bei Byte " + std::to_string(blockSize);
        return 0;
    }
    return static_cast<unsigned int>(blockSize);
}

} // namespace

unsigned int gridFileBlockSize(const std::string& path)
{
    const DataSet* set = dataSetByFileName(path);
    if (set != nullptr)
        return set->blockSize;
    WFile file;
    file.open(path.c_str(), false);
    unsigned long long size = file.getSize();
    std::string beginning(size < probeBytes ? size : probeBytes, '\0');
    if (!beginning.empty())
        file.read(&beginning[0], static_cast<unsigned long>(beginning.size()));
    std::string problem;
    unsigned int blockSize = blockSizeFromContent(beginning, size, problem);
    if (blockSize == 0)
        throw WException(("Aufbau der Rasterdatei nicht erkennbar: " + problem).c_str());
    return blockSize;
}
