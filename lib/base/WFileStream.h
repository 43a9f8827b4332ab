#pragma once

#include <objidl.h>

#include "WExport.h"
#include "WFile.h"

// A COM stream over a WFile for the image codecs. The adapter is owned and
// destroyed by its creator: Release never deletes it. A WException inside a
// method turns into S_FALSE.
class QUARN2_API WFileStream : public IStream {
public:
    WFileStream() = default;
    WFileStream(const WFileStream&) = delete;
    WFileStream& operator=(const WFileStream&) = delete;
    virtual ~WFileStream() = default;

    WFile& getFile() { return file; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* done) override;
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* done) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                         DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                           DWORD type) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override;

private:
    WFile file;
    ULONG references = 1;
};
