#include "WFileStream.h"

#include "WException.h"
#include "WFileInfo.h"
#include "WSystem.h"
#include "WUnicode.h"

HRESULT WFileStream::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream)) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG WFileStream::AddRef()
{
    return ++references;
}

ULONG WFileStream::Release()
{
    return references;
}

HRESULT WFileStream::Read(void* data, ULONG size, ULONG* done)
{
    try {
        ULONG got = 0;
        try {
            got = file.read(data, size);
        } catch (const WEOFException&) {
            got = file.getEOFBytes();
        }
        if (done != nullptr)
            *done = got;
        return S_OK;
    } catch (const WException&) {
        return S_FALSE;
    }
}

HRESULT WFileStream::Write(const void* data, ULONG size, ULONG* done)
{
    try {
        file.write(data, size);
        if (done != nullptr)
            *done = size;
        return S_OK;
    } catch (const WException&) {
        return S_FALSE;
    }
}

HRESULT WFileStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position)
{
    try {
        file.setPosMode(static_cast<int>(origin));
        file.setPos(static_cast<int>(move.QuadPart));
        if (position != nullptr)
            position->QuadPart = file.getPos();
        return S_OK;
    } catch (const WException&) {
        return S_FALSE;
    }
}

HRESULT WFileStream::Stat(STATSTG* stat, DWORD flags)
{
    if (stat == nullptr)
        return STG_E_INVALIDPOINTER;
    try {
        WFileInfo info;
        file.getFileInfo(info);
        ZeroMemory(stat, sizeof(*stat));
        if ((flags & STATFLAG_NONAME) == 0) {
            int units = MultiByteToWideChar(CP_UTF8, 0, info.getFilename(), -1, nullptr, 0);
            if (units > 0) {
                stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(units * sizeof(wchar_t)));
                if (stat->pwcsName != nullptr)
                    MultiByteToWideChar(CP_UTF8, 0, info.getFilename(), -1, stat->pwcsName, units);
            }
        }
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = info.getFileSize();
        WSystem::cTime2WindowsTime(info.getTimeLastModified(), stat->mtime);
        WSystem::cTime2WindowsTime(info.getTimeCreation(), stat->ctime);
        WSystem::cTime2WindowsTime(info.getTimeLastAccess(), stat->atime);
        stat->grfLocksSupported = LOCK_WRITE;
        return S_OK;
    } catch (const WException&) {
        return S_FALSE;
    }
}

HRESULT WFileStream::SetSize(ULARGE_INTEGER)
{
    return S_FALSE;
}

HRESULT WFileStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*)
{
    return S_FALSE;
}

HRESULT WFileStream::Commit(DWORD)
{
    return S_FALSE;
}

HRESULT WFileStream::Revert()
{
    return S_FALSE;
}

HRESULT WFileStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return S_FALSE;
}

HRESULT WFileStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return S_FALSE;
}

HRESULT WFileStream::Clone(IStream**)
{
    return S_FALSE;
}
