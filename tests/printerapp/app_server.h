// The printer application run by a test as a server: on a free localhost
// port, its state, spool and log in a temporary folder, and (as root) in a
// mount namespace of its own with a private /run, so that the local socket
// PAPPL's main loop always opens never meets a real service's. An IPP and
// HTTP client for it through libcups.
#pragma once

#include <cups/cups.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "temp_folder.h"

namespace tz::test {

inline const std::string kApp = std::string(TZ_BIN_DIR) + "/tz5170-printer-app";

// A TCP port nobody listens on now.
inline int free_port() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// A program started with a private /run when the test runs as root.
inline std::pair<std::string, std::vector<std::string>> with_private_run(const std::string& program,
                                                                        std::vector<std::string> args) {
    if (::geteuid() != 0 || !std::filesystem::exists("/usr/bin/unshare")) return {program, args};
    std::vector<std::string> words{"-m", "--propagation", "private", "/bin/sh", "-c",
                                   "mount -t tmpfs tmpfs /run && exec \"$0\" \"$@\"", program};
    words.insert(words.end(), args.begin(), args.end());
    return {"/usr/bin/unshare", words};
}

using IppPtr = std::unique_ptr<ipp_t, decltype(&ippDelete)>;
using HttpPtr = std::unique_ptr<http_t, decltype(&httpClose)>;

class AppServer {
public:
    explicit AppServer(const TempFolder& folder, std::vector<std::string> extra = {}) : folder_(folder), port_(free_port()) {
        std::vector<std::string> args{"server", "-o", "server-port=" + std::to_string(port_), "-o",
                                      "listen-hostname=localhost", "-o", "state-file=" + folder.file("app.state"),
                                      "-o", "spool-directory=" + folder.file("spool"), "-o",
                                      "log-file=" + folder.file("app.log"), "-o", "log-level=info"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto [program, words] = with_private_run(kApp, args);
        child_ = std::make_unique<Child>(program, words, folder);
    }
    ~AppServer() { stop(); }

    // Ends the server as SIGTERM does; the exit status, -1 when it did not end in time.
    int stop() {
        if (!child_) return -1;
        child_->signal(SIGTERM);
        const int status = child_->wait(std::chrono::seconds(15));
        child_.reset();
        return status;
    }
    Child& child() { return *child_; }
    int port() const { return port_; }
    // The log's lines about jobs and printers (not every client's request),
    // then whether the server still runs and what it wrote on stderr.
    std::string log() const {
        std::istringstream all(read_file(folder_.file("app.log")));
        std::string kept;
        for (std::string line; std::getline(all, line);)
            if (line.find("[Client") == std::string::npos) kept += line + "\n";
        if (!child_) return kept;
        const int status = child_->wait(std::chrono::milliseconds(0));
        kept += status < 0 ? "(the server runs)\n" : "(the server ended with status " + std::to_string(status) + ")\n";
        return kept + child_->err();
    }
    std::string uri(const std::string& serial) const {
        return "ipp://localhost:" + std::to_string(port_) + "/ipp/print/" + serial;
    }
    std::string path(const std::string& serial) const { return "/ipp/print/" + serial; }

    HttpPtr connect() const {
        return HttpPtr(httpConnect2("localhost", port_, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 10000, nullptr),
                       httpClose);
    }

    // One IPP request to a printer, `fill` adding what follows the printer
    // and the user; the response (never null).
    IppPtr request(const std::string& serial, ipp_op_t operation, const std::function<void(ipp_t*)>& fill = {},
                   const std::string& file = {}) const {
        ipp_t* request = ippNewRequest(operation);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri(serial).c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "test");
        if (fill) fill(request);
        HttpPtr http = connect();
        ipp_t* response = http ? cupsDoFileRequest(http.get(), request, path(serial).c_str(), file.empty() ? nullptr : file.c_str())
                               : (ippDelete(request), nullptr);
        return IppPtr(response ? response : ippNew(), ippDelete);
    }

    std::vector<std::string> printer_values(const std::string& serial, const char* name) const {
        return values(request(serial, IPP_OP_GET_PRINTER_ATTRIBUTES).get(), name);
    }

    // Print-Job; the job id (0 on failure).
    int print(const std::string& serial, const std::string& file, const std::string& format,
              const std::map<std::string, std::string>& keywords = {}, int copies = 1) const {
        IppPtr response = request(
            serial, IPP_OP_PRINT_JOB,
            [&](ipp_t* request) {
                ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, format.c_str());
                ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, "copies", copies);
                // A media type goes in media-col, with the size named there too.
                std::map<std::string, std::string> plain = keywords;
                if (auto type = plain.find("media-type"); type != plain.end()) {
                    ipp_t* media = ippNew();
                    ippAddString(media, IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-type", nullptr, type->second.c_str());
                    if (auto size = plain.find("media"); size != plain.end()) {
                        ippAddString(media, IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-size-name", nullptr, size->second.c_str());
                        plain.erase(size);
                    }
                    ippAddCollection(request, IPP_TAG_JOB, "media-col", media);
                    ippDelete(media);
                    plain.erase("media-type");
                }
                for (const auto& [name, value] : plain)
                    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, name.c_str(), nullptr, value.c_str());
            },
            file);
        ipp_attribute_t* id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
        return id ? ippGetInteger(id, 0) : 0;
    }

    std::vector<std::string> job_values(const std::string& serial, int job, const char* name) const {
        auto job_id = [job](ipp_t* request) { ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job); };
        return values(request(serial, IPP_OP_GET_JOB_ATTRIBUTES, job_id).get(), name);
    }
    int job_state(const std::string& serial, int job) const {
        auto state = job_values(serial, job, "job-state");
        return state.empty() ? 0 : std::stoi(state[0]);
    }
    bool cancel(const std::string& serial, int job) const {
        auto job_id = [job](ipp_t* request) { ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job); };
        return ippGetStatusCode(request(serial, IPP_OP_CANCEL_JOB, job_id).get()) == IPP_STATUS_OK;
    }

    // GET of a web page: the HTTP status and the body.
    std::pair<int, std::string> get(const std::string& resource) const {
        HttpPtr http = connect();
        if (!http) return {0, {}};
        httpClearFields(http.get());
        httpSetField(http.get(), HTTP_FIELD_HOST, ("localhost:" + std::to_string(port_)).c_str());
        if (httpGet(http.get(), resource.c_str()) != 0) return {0, {}};
        http_status_t status;
        while ((status = httpUpdate(http.get())) == HTTP_STATUS_CONTINUE) {
        }
        std::string body;
        char buffer[8192];
        ssize_t got;
        while ((got = httpRead2(http.get(), buffer, sizeof buffer)) > 0) body.append(buffer, size_t(got));
        return {int(status), body};
    }

    static std::vector<std::string> values(ipp_t* response, const char* name) {
        std::vector<std::string> out;
        ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
        for (int i = 0; attribute && i < ippGetCount(attribute); ++i) {
            if (ippGetValueTag(attribute) == IPP_TAG_INTEGER || ippGetValueTag(attribute) == IPP_TAG_ENUM)
                out.push_back(std::to_string(ippGetInteger(attribute, i)));
            else if (ippGetValueTag(attribute) == IPP_TAG_BOOLEAN)
                out.push_back(ippGetBoolean(attribute, i) ? "true" : "false");
            else if (const char* text = ippGetString(attribute, i, nullptr))
                out.push_back(text);
        }
        return out;
    }

private:
    const TempFolder& folder_;
    int port_;
    std::unique_ptr<Child> child_;
};

// Asks `ready` every 100 ms until it is true or `limit` has passed.
template <class Condition>
bool eventually(Condition ready, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

inline bool contains(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace tz::test
