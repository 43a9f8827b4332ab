#include "DownloadRecord.h"

#include <windows.h>

#include <cstdlib>

#include "FileNameText.h"
#include "PartFile.h"

namespace {

const char* const keys[] = {"PRODUCT", "ADDRESS", "SOURCE", "ETAG", "LAST_MODIFIED", "GRID_SIZE", "GRID_TIME"};

bool gridStamp(const std::string& gridFile, unsigned long long& size, unsigned long long& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(systemFileName(gridFile).c_str(), GetFileExInfoStandard, &data))
        return false;
    size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    time = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

std::string readWholeFile(const std::string& path)
{
    HANDLE file = CreateFileW(systemFileName(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD got;
    // A record is a few hundred bytes; anything much longer is no record.
    while (text.size() < 65536 && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

} // namespace

std::string recordFile(const std::string& gridFile)
{
    size_t dot = gridFile.rfind('.');
    size_t separator = gridFile.find_last_of("\\/");
    bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
    return (hasExtension ? gridFile.substr(0, dot) : gridFile) + ".update";
}

DownloadRecord readDownloadRecord(const std::string& gridFile)
{
    DownloadRecord record;
    std::string text = readWholeFile(recordFile(gridFile));
    std::string* fields[] = {&record.product,         &record.address, &record.source, &record.validators.etag,
                             &record.validators.lastModified};
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        for (int i = 0; i < 5; ++i)
            if (key == keys[i])
                *fields[i] = value;
        if (key == keys[5])
            record.gridSize = std::strtoull(value.c_str(), nullptr, 10);
        if (key == keys[6])
            record.gridTime = std::strtoull(value.c_str(), nullptr, 10);
    }
    return record;
}

bool writeDownloadRecord(const std::string& gridFile, DownloadRecord record)
{
    if (!gridStamp(gridFile, record.gridSize, record.gridTime))
        return false;
    const std::string values[] = {record.product,
                                  record.address,
                                  record.source,
                                  record.validators.etag,
                                  record.validators.lastModified,
                                  std::to_string(record.gridSize),
                                  std::to_string(record.gridTime)};
    std::string text;
    for (int i = 0; i < 7; ++i)
        text += std::string(keys[i]) + "=" + values[i] + "\r\n";

    std::string target = recordFile(gridFile), part;
    DWORD error;
    HANDLE file = createPartFile(target, "", part, error);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    if (ok && movePartFile(part, target))
        return true;
    DeleteFileW(systemFileName(part).c_str());
    return false;
}

bool recordFitsGridFile(const DownloadRecord& record, const std::string& gridFile)
{
    unsigned long long size, time;
    return !record.product.empty() && gridStamp(gridFile, size, time) && size == record.gridSize &&
           time == record.gridTime;
}
