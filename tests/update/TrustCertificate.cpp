// trust_certificate CERT.der: adds a certificate to the current user's
// "Root" store of the Wine prefix it runs in, so that WinHTTP there trusts
// the loopback server the update tests download from. Exit 0 when added.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

namespace {

class OwnedFile {
public:
    explicit OwnedFile(const wchar_t* path)
        : handle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~OwnedFile() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    HANDLE handle;
};

class OwnedStore {
public:
    OwnedStore()
        : store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root")) {}
    ~OwnedStore() {
        if (store)
            CertCloseStore(store, 0);
    }
    OwnedStore(const OwnedStore&) = delete;
    OwnedStore& operator=(const OwnedStore&) = delete;

    HCERTSTORE store;
};

int failed(const char* what) {
    std::fprintf(stderr, "trust_certificate: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_certificate CERT.der\n");
        return 2;
    }
    OwnedFile file(argv[1]);
    LARGE_INTEGER size;
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.handle, &size) || size.QuadPart > 1 << 20)
        return failed("reading the certificate");
    std::vector<BYTE> der(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.handle, der.data(), static_cast<DWORD>(der.size()), &read, nullptr) || read != der.size())
        return failed("reading the certificate");
    OwnedStore root;
    if (!root.store)
        return failed("CertOpenStore");
    if (!CertAddEncodedCertificateToStore(root.store, X509_ASN_ENCODING, der.data(), read,
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        return failed("CertAddEncodedCertificateToStore");
    return 0;
}
