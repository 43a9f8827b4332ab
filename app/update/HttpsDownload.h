#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

#include "DownloadSink.h"
#include "UpdateProgress.h"

// What makes a request conditional: the validators of the copy we have.
struct CachedCopy {
    std::string etag;
    std::string lastModified;
};

// What a download brought.
struct DownloadResult {
    bool notModified = false;          // the server's file is the cached copy; no body came
    std::string address;               // the file's address after redirects
    std::string etag;                  // its validators, to be kept for the next request
    std::string lastModified;
    unsigned long long received = 0;   // bytes of the body, as sent
};

// Downloads over HTTPS through WinHTTP, so that proxies, certificates and TLS
// are as Windows is configured. Only https: addresses, redirects followed
// by hand (at most 5, only to https:), a limit on the body, and the
// announced length checked. 30 s without anything from the server end the
// download. The calls run asynchronously in WinHTTP and are waited for in
// short steps, so that a cancel takes effect at once.
//
// Failures throw UpdateFailure (German, naming the server), a cancel
// throws ImportCancelled.
class HttpsDownload {
public:
    HttpsDownload();
    ~HttpsDownload();
    HttpsDownload(const HttpsDownload&) = delete;
    HttpsDownload& operator=(const HttpsDownload&) = delete;

    // Fetches address into sink (finished when the body is whole) unless
    // the server says the cached copy is current. limit: the most bytes the
    // body may have.
    DownloadResult fetch(const std::string& address, const CachedCopy& cached, unsigned long long limit,
                         DownloadSink& sink, UpdateProgress& progress);

private:
    HINTERNET session;
};
