#pragma once

#include <windows.h>

#include <string>

// A picture written under a temporary name beside its target and moved over
// the target only when complete, so that a cancel or a failure leaves an old
// file byte for byte as it was. The temporary name keeps the folder (the
// move is a rename) and the extension (writers choose their format by it):
// "karte.gif" is written as "karte.<8 random characters>.part.gif" (PartFile.h).
//
//     ReplacementFile output(target);        // reserves the temporary name
//     ... write output.getWideName() ...
//     if (!output.commit()) report(output.getLastError());
//
// Without commit the destructor removes the temporary file. Names are
// UTF-8; failures are false results with a text in getLastError(), as for
// the image writers.
class ReplacementFile {
public:
    explicit ReplacementFile(const char* target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // False when no temporary file could be made beside the target (no
    // such folder, no right to write there, a name that is no UTF-8).
    bool isReserved() const { return !temporary.empty(); }
    const std::wstring& getWideName() const { return wideTemporary; }
    const char* getName() const { return temporary.c_str(); }

    // Flushes the finished temporary file to the disk and moves it over the
    // target; on failure the temporary file is removed.
    bool commit();
    const char* getLastError() const { return lastError.c_str(); }

private:
    void discard();

    std::string target;
    std::string temporary;      // UTF-8, empty when there is none
    std::wstring wideTemporary; // as the system takes it
    std::string lastError;
};
