// What the update tests share: the loopback server's folder and request log.
#pragma once

#include <string>
#include <vector>

namespace vostrel::test {

// "http://127.0.0.1:<port>/" of the server the fixture started.
std::string serverAddress();

// A file in the served folder (update-served beside the programs).
std::string servedPath(const std::string& name);

// Files put into the served folder for one test, removed again at its end (the
// control files too), so that no other test ever sees them.
class ServedFiles {
public:
    ServedFiles() = default;
    ~ServedFiles();
    ServedFiles(const ServedFiles&) = delete;
    ServedFiles& operator=(const ServedFiles&) = delete;
    bool put(const std::string& name, const std::string& bytes);
    bool copy(const std::string& name, const std::string& fromPath, size_t padTo = 0);
    // Has the server sign the served file as the maker does (scripts/sign): NAME.sig
    // beside it, by the update test key, whose public half the test build holds, or
    // by a stranger's key that no build holds.
    enum class Signer { TestKey, Stranger };
    bool sign(const std::string& name, Signer by = Signer::TestKey);

private:
    std::vector<std::string> names_;
};

// One logged request: its request line, then its headers, one per line.
struct LoggedRequest {
    std::string line;
    std::vector<std::string> headers;
    std::string header(const std::string& name) const;  // value, or "" when absent
};

// Every request logged so far whose request line names this path ("/x.exe").
std::vector<LoggedRequest> requestsFor(const std::string& path);

}  // namespace vostrel::test
