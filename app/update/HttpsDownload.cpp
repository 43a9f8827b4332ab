#include "HttpsDownload.h"

#include <cstdlib>
#include <vector>

#include "FileNameText.h"
#include "ImportFailure.h"
#include "UpdateFailure.h"

namespace {

const DWORD silenceMilliseconds = 30000;
const int maxRedirects = 5;
const DWORD readSize = 256 * 1024;

std::string numberText(unsigned long long n) { return std::to_string(n); }

// The German reason for a WinHTTP error, naming the server. Wine passes on
// some errors of its sockets as they are, so those count as their WinHTTP
// counterparts.
std::string connectionProblem(DWORD error, const std::string& host)
{
    switch (error) {
    case WSAECONNREFUSED:
        error = ERROR_WINHTTP_CANNOT_CONNECT;
        break;
    case WSAECONNRESET:
    case WSAECONNABORTED:
        error = ERROR_WINHTTP_CONNECTION_ERROR;
        break;
    case WSAETIMEDOUT:
        error = ERROR_WINHTTP_TIMEOUT;
        break;
    default:
        break;
    }
    switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "der Server " + host + " wurde nicht gefunden (keine Netzverbindung oder falscher Name)";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "keine Verbindung zu " + host + " (Verbindung abgelehnt oder keine Netzverbindung)";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "die Verbindung zu " + host + " wurde unterbrochen";
    case ERROR_WINHTTP_TIMEOUT:
        return "der Server " + host + " hat 30 Sekunden lang nichts gesendet";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        return "keine sichere Verbindung zu " + host +
               " (Zertifikat nicht vertrauenswürdig oder TLS-Fehler " + numberText(error) + ")";
    default:
        return "Übertragungsfehler " + numberText(error) + " mit " + host;
    }
}

std::string statusText(DWORD status)
{
    switch (status) {
    case 400: return "ungültige Anfrage";
    case 401: return "Anmeldung nötig";
    case 403: return "Zugriff verweigert";
    case 404: return "nicht gefunden";
    case 410: return "entfernt";
    case 429: return "zu viele Anfragen";
    case 500: return "Serverfehler";
    case 502: return "Fehler eines Gateways";
    case 503: return "Dienst nicht verfügbar";
    case 504: return "Zeitüberschreitung eines Gateways";
    default: return "unerwartete Antwort";
    }
}

bool isRedirect(DWORD status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i] != '\0'; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// An https: address taken apart for WinHTTP.
struct Address {
    std::wstring host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
    std::wstring path; // with the query
    std::string shownHost;
};

Address parsedAddress(const std::string& address)
{
    if (!startsWithNoCase(address, "https://"))
        throw UpdateFailure("nur verschlüsselte Adressen (https:) werden geladen, nicht " + shownText(address));
    std::wstring wide = wideFileName(address);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (wide.empty() || !WinHttpCrackUrl(wide.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0)
        throw UpdateFailure("die Adresse " + shownText(address) + " ist ungültig");
    Address result;
    result.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    result.port = parts.nPort;
    result.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    result.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (result.path.empty())
        result.path = L"/";
    result.shownHost = shownText(utf8FileName(result.host.c_str()));
    return result;
}

// A Location header's address, made absolute against the address asked.
std::string redirectTarget(const std::string& location, const std::string& from)
{
    if (location.find("://") != std::string::npos)
        return location;
    size_t hostStart = from.find("://") + 3;
    size_t pathStart = from.find('/', hostStart);
    std::string origin = from.substr(0, pathStart);
    if (location.compare(0, 2, "//") == 0)
        return from.substr(0, hostStart - 2) + location;
    if (!location.empty() && location[0] == '/')
        return origin + location;
    std::string path = pathStart == std::string::npos ? "/" : from.substr(pathStart);
    return origin + path.substr(0, path.find_last_of('/') + 1) + location;
}

// What the status callback tells the waiting thread about the one call in
// flight on a request handle, and the buffer a read fills. WinHTTP may still
// finish a call after its handle has been closed (Wine lets a pending read
// run until it times out), so from the close on the state belongs to the
// handle: the callback deletes it when WinHTTP reports the handle closing,
// its last notification.
struct CallState {
    HANDLE completed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD error = 0;
    DWORD bytes = 0;
    std::vector<char> buffer = std::vector<char>(readSize);

    ~CallState() { CloseHandle(completed); }
};

void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length)
{
    CallState* state = reinterpret_cast<CallState*>(context);
    if (state == nullptr)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        state->error = 0;
        SetEvent(state->completed);
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        state->error = 0;
        state->bytes = length;
        SetEvent(state->completed);
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        state->error = static_cast<WINHTTP_ASYNC_RESULT*>(information)->dwError;
        SetEvent(state->completed);
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        delete state;
        break;
    default:
        break;
    }
}

// One request on its own connection. Each asynchronous call is waited for
// in steps of 100 ms, watching for a cancel and for 30 s of silence.
class Request {
public:
    Request(HINTERNET session, const Address& address, UpdateProgress& progress)
        : host(address.shownHost), progress(progress), state(new CallState)
    {
        connection = WinHttpConnect(session, address.host.c_str(), address.port, 0);
        if (connection != nullptr)
            request = WinHttpOpenRequest(connection, L"GET", address.path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE);
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state);
        stateHandedOver =
            request != nullptr && WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
        if (!stateHandedOver) {
            DWORD error = GetLastError();
            close();
            throw UpdateFailure(connectionProblem(error, host));
        }
    }

    ~Request() { close(); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    void send(const std::wstring& headers)
    {
        if (!WinHttpSendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                                static_cast<DWORD>(headers.size()), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
            throw UpdateFailure(connectionProblem(GetLastError(), host));
        await();
        if (!WinHttpReceiveResponse(request, nullptr))
            throw UpdateFailure(connectionProblem(GetLastError(), host));
        await();
    }

    DWORD status() const
    {
        DWORD status = 0, size = sizeof status;
        WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        return status;
    }

    // A response header's value in UTF-8; empty when the response has none.
    std::string header(DWORD query) const
    {
        DWORD size = 0;
        WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                            WINHTTP_NO_HEADER_INDEX);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
            return std::string();
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, &value[0], &size,
                                 WINHTTP_NO_HEADER_INDEX))
            return std::string();
        value.resize(size / sizeof(wchar_t));
        return utf8FileName(value.c_str());
    }

    // The next piece of the body, valid until the next call; empty at its end.
    std::pair<const char*, DWORD> read()
    {
        if (!WinHttpReadData(request, state->buffer.data(), readSize, nullptr))
            throw UpdateFailure(connectionProblem(GetLastError(), host));
        await();
        return {state->buffer.data(), state->bytes};
    }

private:
    void await()
    {
        ULONGLONG start = GetTickCount64();
        while (WaitForSingleObject(state->completed, 100) == WAIT_TIMEOUT) {
            if (progress.cancelled())
                throw ImportCancelled();
            if (GetTickCount64() - start >= silenceMilliseconds)
                throw UpdateFailure(connectionProblem(ERROR_WINHTTP_TIMEOUT, host));
        }
        if (state->error != 0)
            throw UpdateFailure(connectionProblem(state->error, host));
    }

    // Closing the request cancels a call in flight; its state goes with the
    // handle (see CallState).
    void close()
    {
        if (request != nullptr)
            WinHttpCloseHandle(request);
        if (!stateHandedOver)
            delete state;
        if (connection != nullptr)
            WinHttpCloseHandle(connection);
        request = connection = nullptr;
        state = nullptr;
    }

    std::string host;
    UpdateProgress& progress;
    CallState* state;
    bool stateHandedOver = false;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
};

std::wstring conditionHeaders(const CachedCopy& cached)
{
    std::wstring headers;
    if (!cached.etag.empty())
        headers += L"If-None-Match: " + wideFileName(cached.etag) + L"\r\n";
    if (!cached.lastModified.empty())
        headers += L"If-Modified-Since: " + wideFileName(cached.lastModified) + L"\r\n";
    return headers;
}

} // namespace

HttpsDownload::HttpsDownload()
{
    session = WinHttpOpen(L"Orvex Visualizer", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (session == nullptr ||
        WinHttpSetStatusCallback(session, onStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK ||
        !WinHttpSetOption(session, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never) ||
        !WinHttpSetTimeouts(session, silenceMilliseconds, silenceMilliseconds, silenceMilliseconds,
                            silenceMilliseconds)) {
        DWORD error = GetLastError();
        if (session != nullptr)
            WinHttpCloseHandle(session);
        throw UpdateFailure("die Internetfunktionen von Windows (WinHTTP) stehen nicht zur Verfügung (Fehler " +
                            numberText(error) + ")");
    }
}

HttpsDownload::~HttpsDownload()
{
    WinHttpCloseHandle(session);
}

DownloadResult HttpsDownload::fetch(const std::string& address, const CachedCopy& cached,
                                    unsigned long long limit, DownloadSink& sink, UpdateProgress& progress)
{
    DownloadResult result;
    result.address = address;
    for (int redirects = 0;; ++redirects) {
        Address parts = parsedAddress(result.address);
        Request request(session, parts, progress);
        request.send(conditionHeaders(cached));
        DWORD status = request.status();
        if (isRedirect(status)) {
            std::string location = request.header(WINHTTP_QUERY_LOCATION);
            if (location.empty())
                throw UpdateFailure("der Server " + parts.shownHost + " leitet weiter, nennt aber kein Ziel");
            if (redirects == maxRedirects)
                throw UpdateFailure("mehr als " + numberText(maxRedirects) + " Weiterleitungen ab " +
                                    shownText(address));
            std::string next = redirectTarget(location, result.address);
            if (!startsWithNoCase(next, "https://"))
                throw UpdateFailure("Weiterleitung auf eine unverschlüsselte Adresse abgelehnt: " +
                                    shownText(next));
            result.address = next;
            continue;
        }
        if (status == 304 && !(cached.etag.empty() && cached.lastModified.empty())) {
            result.notModified = true;
            return result;
        }
        if (status != 200)
            throw UpdateFailure("der Server " + parts.shownHost + " meldet " + numberText(status) + " (" +
                                statusText(status) + ") für " + shownText(result.address));

        std::string lengthText = request.header(WINHTTP_QUERY_CONTENT_LENGTH);
        unsigned long long announced = lengthText.empty() ? 0 : std::strtoull(lengthText.c_str(), nullptr, 10);
        if (announced > limit)
            throw UpdateFailure("die Datei ist mit " + numberText(announced) + " Bytes größer als die Grenze von " +
                                numberText(limit) + " Bytes");
        result.etag = request.header(WINHTTP_QUERY_ETAG);
        result.lastModified = request.header(WINHTTP_QUERY_LAST_MODIFIED);

        progress.downloaded(0, announced);
        for (;;) {
            std::pair<const char*, DWORD> piece;
            try {
                piece = request.read();
            } catch (const UpdateFailure& failure) {
                if (announced == 0)
                    throw;
                throw UpdateFailure(failure.german() + ", nach " + numberText(result.received) + " von " +
                                    numberText(announced) + " Bytes");
            }
            if (piece.second == 0)
                break;
            result.received += piece.second;
            if (result.received > limit)
                throw UpdateFailure("die Datei ist größer als die Grenze von " + numberText(limit) + " Bytes");
            if (announced != 0 && result.received > announced)
                throw UpdateFailure("der Server " + parts.shownHost + " sendet mehr als die angekündigten " +
                                    numberText(announced) + " Bytes");
            sink.write(piece.first, piece.second);
            progress.downloaded(result.received, announced);
        }
        if (announced != 0 && result.received != announced)
            throw UpdateFailure("die Übertragung von " + parts.shownHost + " brach nach " +
                                numberText(result.received) + " von " + numberText(announced) + " Bytes ab");
        sink.finish();
        return result;
    }
}
