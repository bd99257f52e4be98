#include "support/server.h"

#include "data/sql_text.h"

#include "base/errors.h"

#include <atomic>
#include <cctype>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kalvora::test {

namespace {

constexpr const char* kPasswordFile = "/etc/firebird/3.0/SYSDBA.password";

}  // namespace

std::string sysdbaPassword()
{
    std::ifstream in(kPasswordFile);
    if (!in)
        throw std::runtime_error(std::string("cannot read ") + kPasswordFile);
    const std::string key = "ISC_PASSWORD=";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    throw std::runtime_error(std::string("no ISC_PASSWORD line in ") + kPasswordFile);
}

fb::AttachParams sysdba()
{
    fb::AttachParams p;
    p.user = "SYSDBA";
    p.hasUser = true;
    p.password = sysdbaPassword();
    p.hasPassword = true;
    return p;
}

std::string serverLocation(const std::string& path) { return "127.0.0.1:" + path; }

void shareWithServer(const std::string& folder)
{
    if (::chmod(folder.c_str(), 0777) != 0)
        throw std::runtime_error("cannot open " + folder + " to the server");
}

ServerDir::ServerDir() { shareWithServer(dir_.path()); }

std::string createServerDatabase(const std::string& path, const std::vector<std::string>& statements)
{
    std::string location = serverLocation(path);
    auto attachment = fb::Attachment::create(location, sysdba());
    for (const auto& sql : statements)
        attachment->executeImmediate(sql);
    attachment->detach();
    // The server creates the file with its own owner and mode; let every test read it.
    ::chmod(path.c_str(), 0666);
    return location;
}

ServerUser::ServerUser(const std::string& name, const std::string& password) : password_(password)
{
    if (name.empty())
        throw std::invalid_argument("a server user needs a name");
    for (unsigned char c : name) {
        if (!std::isalnum(c) && c != '_')
            throw std::invalid_argument("a server user name takes letters, digits and '_' only: " + name);
        name_ += char(std::toupper(c));
    }
    // Unique among test processes (the pid) and among the users of one process (a count).
    static std::atomic<int> created = 0;
    name_ += "_" + std::to_string(::getpid()) + "_" + std::to_string(++created);
    if (name_.size() > 31)
        throw std::invalid_argument("a server user name is 31 characters at most: " + name_);
    database_ = createServerDatabase(dir_.file("users.fdb"));

    auto attachment = fb::Attachment::attach(database_, sysdba());
    try {
        attachment->executeImmediate("CREATE USER " + name_ + " PASSWORD " + quoted(password_));
    } catch (const DatabaseError&) {
        // Left by an earlier process that had the same id and did not finish: start afresh.
        attachment->executeImmediate("DROP USER " + name_);
        attachment->executeImmediate("CREATE USER " + name_ + " PASSWORD " + quoted(password_));
    }
    attachment->detach();
}

ServerUser::~ServerUser()
{
    try {
        auto attachment = fb::Attachment::attach(database_, sysdba());
        attachment->executeImmediate("DROP USER " + name_);
        attachment->detach();
    } catch (const std::exception&) {
        // A destructor reports nothing; a user left behind is dropped by the next run with this id.
    }
}

fb::AttachParams ServerUser::credentials() const
{
    fb::AttachParams p;
    p.user = name_;
    p.hasUser = true;
    p.password = password_;
    p.hasPassword = true;
    return p;
}

}  // namespace kalvora::test
