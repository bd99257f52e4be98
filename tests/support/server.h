#pragma once
// Helpers for tests that need the real Firebird server on 127.0.0.1:3050 (sign-in, refused
// credentials, network errors). test.sh starts the server when none is listening.
//
// Rules: a database used through the server is created through the server (never open one
// file both embedded and through the server), in a folder the server process can read and
// write; the security database is only ever reached through the server, with SQL.
#include "data/firebird.h"
#include "support/scratch.h"

#include <string>

namespace kalvora::test {

// The SYSDBA password Debian keeps in /etc/firebird/3.0/SYSDBA.password (the
// ISC_PASSWORD="..." line). Throws std::runtime_error when the file cannot be read.
std::string sysdbaPassword();

// SYSDBA with that password: the parameters to attach or create through the server.
fb::AttachParams sysdba();

// "127.0.0.1:" + path: the same file, reached through the server.
std::string serverLocation(const std::string& path);

// Makes a folder readable and writable by everyone, so that the server process can create
// and open databases in it whichever user it runs as.
void shareWithServer(const std::string& folder);

// A folder shared with the server (see shareWithServer), removed at the end.
class ServerDir {
public:
    ServerDir();
    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

private:
    TempDir dir_;
};

// Creates a database through the server as SYSDBA, in dialect 3, running the statements,
// each committed; returns its server location ("127.0.0.1:/...").
std::string createServerDatabase(const std::string& path, const std::vector<std::string>& statements = {});

// A user of the server for the length of a test. The constructor creates it with
// CREATE USER ... PASSWORD '...' as SYSDBA, through a scratch database that it creates
// through the server; the destructor drops the user. The name given is upper-cased and gets
// "_" + the process id + "_" + a count appended, so that neither parallel test processes nor
// two users of one test collide. Names: letters, digits and "_" only, 31 characters in all.
class ServerUser {
public:
    ServerUser(const std::string& name, const std::string& password);
    ~ServerUser();
    ServerUser(const ServerUser&) = delete;
    ServerUser& operator=(const ServerUser&) = delete;

    // The name as the server keeps it, e.g. "KALVORA_PRUEBA_4711_1".
    const std::string& name() const { return name_; }
    const std::string& password() const { return password_; }
    // Server location of the scratch database (empty, dialect 3); any user may attach to it.
    const std::string& database() const { return database_; }
    // This user's credentials, to attach through the server.
    fb::AttachParams credentials() const;

private:
    ServerDir dir_;
    std::string name_;
    std::string password_;
    std::string database_;
};

}  // namespace kalvora::test
