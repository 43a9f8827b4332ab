#include "DownloadFile.h"

#include <cstring>

#include "FileNameText.h"
#include "PartFile.h"
#include "SystemErrorText.h"
#include "UpdateFailure.h"

namespace {

// Enough for every signature, and for a web page's first tag.
const size_t signatureBytes = 16;

bool isNetcdf(const std::string& bytes)
{
    static const char hdf5[] = "\x89HDF\r\n\x1a\n";
    return (bytes.compare(0, 3, "CDF") == 0 && bytes.size() > 3 &&
            (bytes[3] == '\x01' || bytes[3] == '\x02' || bytes[3] == '\x05')) ||
           bytes.compare(0, 8, hdf5, 8) == 0;
}

bool looksLikeWebPage(const std::string& bytes)
{
    size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string::npos && bytes[first] == '<';
}

} // namespace

DownloadFile::DownloadFile(const std::string& besideFile, unsigned long long limit) : limit(limit)
{
    DWORD error = ERROR_SUCCESS;
    file = createPartFile(besideFile, "", name, error);
    if (file == INVALID_HANDLE_VALUE)
        throw UpdateFailure("die geladene Datei kann nicht neben " + shownText(besideFile) +
                            " gespeichert werden: " + systemErrorText(error).german);
}

DownloadFile::~DownloadFile()
{
    close();
    DeleteFileW(systemFileName(name).c_str());
}

void DownloadFile::write(const char* data, size_t size)
{
    if (written + size > limit)
        throw UpdateFailure("die Datei ist entpackt größer als die Grenze von " + std::to_string(limit) +
                            " Bytes");
    if (beginning.size() < signatureBytes) {
        size_t more = std::min(size, signatureBytes - beginning.size());
        beginning.append(data, more);
        if (beginning.size() == signatureBytes)
            checkSignature();
    }
    written += size;
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(file, data, chunk, &done, nullptr))
            throw UpdateFailure("die geladene Datei kann nicht gespeichert werden: " +
                                systemErrorText(GetLastError()).german);
        data += done;
        size -= done;
    }
}

void DownloadFile::finish()
{
    checkSignature();
    DWORD error = FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
    close();
    if (error != ERROR_SUCCESS)
        throw UpdateFailure("die geladene Datei kann nicht gespeichert werden: " + systemErrorText(error).german);
}

void DownloadFile::checkSignature() const
{
    if (isNetcdf(beginning))
        return;
    if (looksLikeWebPage(beginning))
        throw UpdateFailure("unter der Adresse liegt eine Webseite, keine netCDF-Datei "
                            "(ist die Adresse in der Produktliste veraltet?)");
    throw UpdateFailure("die geladene Datei ist keine netCDF-Datei");
}

void DownloadFile::close()
{
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
}
