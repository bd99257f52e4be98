#pragma once
// Another user of a database, for tests of locks and lost connections: a transaction that
// changes rows and holds them until it ends, and the means to see another attachment's
// statement waiting, or to cut the other attachments off.
#include "data/firebird.h"
#include "support/scratch.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kalvora::test {

class LockHolder {
public:
    explicit LockHolder(const std::string& location, const fb::AttachParams& params = embeddedUser());
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Runs inside the held transaction (snapshot, waiting on locks), started by the first call.
    void execute(const std::string& sql);
    void commit();
    void rollback();
    // MON$ATTACHMENT_ID of the holder's attachment.
    std::int64_t attachmentId() const { return id_; }

private:
    std::unique_ptr<fb::Attachment> attachment_;
    std::unique_ptr<fb::Transaction> transaction_;
    std::int64_t id_ = 0;
};

// Waits up to ten seconds for a statement of another attachment whose text starts with
// `start` to be running on two looks 100 ms apart, as a statement waiting on a lock is.
bool awaitWaitingStatement(const std::string& location, const std::string& start,
                           const fb::AttachParams& params = embeddedUser());

// Waits up to ten seconds for the server to drop the attachments of a process that is gone
// (by MON$REMOTE_PID); true when none is left.
bool awaitAttachmentsGone(const std::string& location, int processId, const fb::AttachParams& params);

// Ends every attachment to the database but the one doing it and `spared` (0 for none), as
// an administrator's kill or a server going away does; their next call fails.
void cutAttachments(const std::string& location, const fb::AttachParams& params, std::int64_t spared = 0);

}  // namespace kalvora::test
